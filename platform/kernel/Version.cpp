#include "platform/kernel/Version.h"

#include "platform/kernel/ExecutableResources.h"
#include "platform/kernel/Utf16.h"
#include "platform/kernel/VersionBlock.h"

#include <algorithm>
#include <cstring>

namespace {

using namespace platform;

// Layout of a filled block: [raw resource: L bytes][pad to 4][magic][UTF-8 area: 2 L bytes].
// The UTF-8 copy of the text value at raw offset p lives at area + 2 p: a value of n UTF-16
// units needs at most 3 n + 1 bytes, and the next value starts at least 2 n + 8 bytes later.
constexpr BYTE kMagic[4] = {'Q', 'M', 'A', '8'};

std::size_t MagicOffset(std::size_t rawLength) {
    return AlignVersion(rawLength);
}
std::size_t TextArea(std::size_t rawLength) {
    return MagicOffset(rawLength) + sizeof kMagic;
}
std::size_t BlockSize(std::size_t rawLength) {
    return TextArea(rawLength) + 2 * rawLength;
}

// Reads and checks the raw VS_VERSIONINFO resource of a file.
LONG LoadRawVersion(LPCSTR fileName, std::vector<BYTE> &raw) {
    if (!fileName)
        return ERROR_INVALID_PARAMETER;
    FileReader file;
    if (const LONG error = file.Open(fileName); error != ERROR_SUCCESS)
        return error;
    ResourceLocation where;
    LONG error = ERROR_BAD_FORMAT;
    switch (DetectExecutable(file)) {
    case ExecutableKind::Pe:
        error = FindPeResource(file, kRtVersion, 1, where);
        break;
    case ExecutableKind::Elf:
        error = FindElfSection(file, ".qm_version", where);
        break;
    case ExecutableKind::Unknown:
        break;
    }
    if (error != ERROR_SUCCESS)
        return error;
    // wLength is a WORD, so no block is longer than 64 KiB whatever the container claims.
    const std::size_t length = std::size_t(std::min<std::uint64_t>(where.size, 0xFFFF));
    if (!file.ReadBytes(where.offset, length, raw))
        return ERROR_INVALID_DATA;
    const auto root = ReadVersionNode(raw, 0, raw.size());
    if (!root || root->key != u"VS_VERSION_INFO")
        return ERROR_INVALID_DATA;
    raw.resize(root->end);
    return ERROR_SUCCESS;
}

// Writes the UTF-8 copy of every text value behind the raw block.
void FillTextArea(BYTE *block, std::size_t rawLength) {
    const std::span<const BYTE> raw(block, rawLength);
    const std::size_t area = TextArea(rawLength);
    const std::size_t total = BlockSize(rawLength);
    std::vector<VersionNode> pending;
    if (auto root = ReadVersionNode(raw, 0, rawLength))
        pending.push_back(std::move(*root));
    while (!pending.empty()) {
        VersionNode node = std::move(pending.back());
        pending.pop_back();
        if (node.type == 1) {
            const std::string text = Utf16ToUtf8(VersionTextValue(raw, node));
            const std::size_t at = area + 2 * node.valueStart;
            if (at + text.size() < total) {
                std::memcpy(block + at, text.data(), text.size());
                block[at + text.size()] = 0;
            }
        }
        auto children = VersionChildren(raw, node);
        std::move(children.begin(), children.end(), std::back_inserter(pending));
    }
}

// The raw part of a block filled by GetFileVersionInfoA; empty for anything else.
std::span<const BYTE> RawPart(const void *block) {
    if (!block)
        return {};
    const auto *bytes = static_cast<const BYTE *>(block);
    const std::size_t length = LoadU16(bytes);
    if (std::memcmp(bytes + MagicOffset(length), kMagic, sizeof kMagic) != 0)
        return {};
    return {bytes, length};
}

// The UTF-8 copy of a text node's value. An empty value is the block's last byte, which no
// copy can set to anything but its terminating NUL.
const char *TextOf(const void *block, const VersionNode &node) {
    const auto *bytes = static_cast<const BYTE *>(block);
    const std::size_t length = LoadU16(bytes);
    const std::size_t at =
        node.valueSize == 0 ? BlockSize(length) - 1 : TextArea(length) + 2 * node.valueStart;
    return reinterpret_cast<const char *>(bytes + at);
}

std::vector<std::u16string> SplitPath(LPCSTR subBlock) {
    std::vector<std::u16string> parts;
    std::string part;
    for (const char *p = subBlock;; ++p) {
        if (*p == '\\' || *p == '\0') {
            if (!part.empty())
                parts.push_back(Utf8ToUtf16(part));
            part.clear();
            if (*p == '\0')
                break;
        } else {
            part += *p;
        }
    }
    return parts;
}

} // namespace

DWORD GetFileVersionInfoSizeA(LPCSTR fileName, DWORD *handle) {
    if (handle)
        *handle = 0;
    std::vector<BYTE> raw;
    if (const LONG error = LoadRawVersion(fileName, raw); error != ERROR_SUCCESS) {
        SetLastError(DWORD(error));
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    return DWORD(BlockSize(raw.size()));
}

BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD, DWORD length, void *data) {
    if (!data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<BYTE> raw;
    if (const LONG error = LoadRawVersion(fileName, raw); error != ERROR_SUCCESS) {
        SetLastError(DWORD(error));
        return FALSE;
    }
    if (length < BlockSize(raw.size())) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto *block = static_cast<BYTE *>(data);
    std::memset(block, 0, BlockSize(raw.size()));
    std::memcpy(block, raw.data(), raw.size());
    std::memcpy(block + MagicOffset(raw.size()), kMagic, sizeof kMagic);
    FillTextArea(block, raw.size());
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL VerQueryValueA(const void *block, LPCSTR subBlock, void **buffer, UINT *length) {
    const std::span<const BYTE> raw = RawPart(block);
    auto node = ReadVersionNode(raw, 0, raw.size());
    if (!node || !subBlock || !buffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    for (const std::u16string &part : SplitPath(subBlock)) {
        const auto children = VersionChildren(raw, *node);
        const auto found = std::find_if(children.begin(), children.end(), [&](const auto &c) {
            return VersionKeyEquals(c.key, part);
        });
        if (found == children.end()) {
            SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
            return FALSE;
        }
        node = *found;
    }
    UINT size = UINT(node->valueSize);
    if (node->type == 1) {
        const char *text = TextOf(block, *node);
        *buffer = const_cast<char *>(text);
        size = node->valueLength == 0 ? 0 : UINT(std::strlen(text) + 1);
    } else {
        *buffer = const_cast<BYTE *>(raw.data() + node->valueStart);
    }
    if (length)
        *length = size;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

namespace platform {

std::vector<VersionString> VersionStrings(const void *block) {
    std::vector<VersionString> strings;
    const std::span<const BYTE> raw = RawPart(block);
    const auto root = ReadVersionNode(raw, 0, raw.size());
    if (!root)
        return strings;
    for (const VersionNode &info : VersionChildren(raw, *root)) {
        if (!VersionKeyEquals(info.key, u"StringFileInfo"))
            continue;
        for (const VersionNode &table : VersionChildren(raw, info)) {
            for (const VersionNode &entry : VersionChildren(raw, table)) {
                strings.push_back({Utf16ToUtf8(table.key), Utf16ToUtf8(entry.key),
                                   entry.type == 1 ? TextOf(block, entry) : std::string()});
            }
        }
    }
    return strings;
}

} // namespace platform
