#include "platform/kernel/Module.h"

#include "platform/kernel/ExecutableResources.h"
#include "platform/kernel/Handles.h"
#include "platform/kernel/KernelObject.h"
#include "platform/kernel/Utf16.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

namespace platform {
namespace {

// A string block is 16 counted strings of at most 65535 units each.
constexpr std::uint64_t kMaxStringBlock = 16 * (2 + 2 * 0xFFFFull);

class Module final : public KernelObject {
public:
    DWORD Wait(DWORD) override {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }

    FileReader file;
};

// String `index` (0-15) of an RT_STRING block; nullopt when the block is malformed.
std::optional<std::u16string> BlockString(const std::vector<BYTE> &block, std::size_t index) {
    std::size_t pos = 0;
    for (std::size_t i = 0;; ++i) {
        if (block.size() - pos < 2)
            return std::nullopt;
        const std::size_t units = LoadU16(block.data() + pos);
        pos += 2;
        if (block.size() - pos < units * 2)
            return std::nullopt;
        if (i == index) {
            std::u16string text(units, u'\0');
            for (std::size_t k = 0; k < units; ++k)
                text[k] = char16_t(LoadU16(block.data() + pos + 2 * k));
            return text;
        }
        pos += units * 2;
    }
}

// The longest prefix of text that fits in `room` bytes without cutting a UTF-8 sequence.
std::size_t FittingLength(const std::string &text, std::size_t room) {
    if (text.size() <= room)
        return text.size();
    std::size_t length = room;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;
    return length;
}

} // namespace
} // namespace platform

using platform::Module;

HMODULE LoadLibraryExA(LPCSTR fileName, HANDLE, DWORD flags) {
    constexpr DWORD kDataFlags = LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE |
                                 LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE;
    if (!(flags & kDataFlags)) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    auto module = std::make_shared<Module>();
    if (const LONG error = module->file.Open(fileName ? fileName : ""); error != ERROR_SUCCESS) {
        SetLastError(DWORD(error));
        return nullptr;
    }
    if (platform::DetectExecutable(module->file) != platform::ExecutableKind::Pe) {
        SetLastError(ERROR_BAD_FORMAT);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return platform::InsertHandle(std::move(module));
}

BOOL FreeLibrary(HMODULE module) {
    if (!platform::FindHandleAs<Module>(module)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return CloseHandle(module);
}

int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
    const auto module = platform::FindHandleAs<Module>(instance);
    if (!module || !buffer || bufferMax <= 0) {
        SetLastError(module ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return 0;
    }
    buffer[0] = '\0';
    platform::ResourceLocation where;
    const WORD blockId = WORD((id >> 4) + 1);
    if (const LONG error =
            platform::FindPeResource(module->file, platform::kRtString, blockId, where);
        error != ERROR_SUCCESS) {
        SetLastError(DWORD(error));
        return 0;
    }
    std::vector<BYTE> block;
    if (where.size > platform::kMaxStringBlock ||
        !module->file.ReadBytes(where.offset, std::size_t(where.size), block)) {
        SetLastError(ERROR_INVALID_DATA);
        return 0;
    }
    const auto text = platform::BlockString(block, id & 15);
    if (!text) {
        SetLastError(ERROR_INVALID_DATA);
        return 0;
    }
    const std::string utf8 = platform::Utf16ToUtf8(*text);
    const std::size_t length = platform::FittingLength(utf8, std::size_t(bufferMax) - 1);
    std::memcpy(buffer, utf8.data(), length);
    buffer[length] = '\0';
    SetLastError(ERROR_SUCCESS);
    return int(length);
}
