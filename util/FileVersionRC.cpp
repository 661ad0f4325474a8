#include "util/utility.h"

#include "platform/kernel/Version.h"
#include "platform/registry/RegistryObjects.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

namespace {

bool IsExistingFile(const std::string &path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

// The default value of a key under HKEY_CLASSES_ROOT, read-only; nullopt when the key cannot
// be opened. A value of an unexpected type reads as empty.
std::optional<std::string> ClassesRootDefault(const std::string &key) {
    TRegistry registry(KEY_READ);
    registry.SetRootKey(HKEY_CLASSES_ROOT);
    if (!registry.OpenKeyReadOnly(key))
        return std::nullopt;
    try {
        return registry.ReadString("");
    } catch (const ERegistryException &) {
        return std::string();
    }
}

} // namespace

void TFileVersionRC::LoadFromFile(const std::string &path) {
    FInfoBlock.reset();
    FFileName = path;
    DWORD handle = 0;
    FInfoSize = int32_t(GetFileVersionInfoSizeA(path.c_str(), &handle));
    if (FInfoSize == 0)
        return;
    FInfoBlock = std::make_unique<BYTE[]>(std::size_t(FInfoSize));
    if (!GetFileVersionInfoA(path.c_str(), handle, DWORD(FInfoSize), FInfoBlock.get())) {
        FInfoBlock.reset();
        FInfoSize = 0;
        return;
    }
    void *value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(FInfoBlock.get(), "\\VarFileInfo\\Translation", &value, &length) &&
        length >= sizeof(DWORD)) {
        DWORD first = 0;
        std::memcpy(&first, value, sizeof first);
        char text[9];
        std::snprintf(text, sizeof text, "%04X%04X", unsigned(first & 0xFFFF),
                      unsigned(first >> 16));
        FTranslation = text;
    }
}

void TFileVersionRC::LoadFromCLSID(const std::string &clsidText) {
    const std::string base = "CLSID\\" + clsidText;
    auto path = ClassesRootDefault(base + "\\InprocServer32");
    if (!path)
        path = ClassesRootDefault(base + "\\localServer32");
    std::string file = path.value_or(std::string());
    if (!IsExistingFile(file)) {
        const auto space = file.rfind(' ');
        file = space == std::string::npos ? std::string() : file.substr(0, space);
    }
    LoadFromFile(file);
}

std::string TFileVersionRC::GetStringValue(const std::string &name) const {
    if (!FInfoBlock)
        return {};
    const std::string subBlock = "\\StringFileInfo\\" + FTranslation + "\\" + name;
    void *value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(FInfoBlock.get(), subBlock.c_str(), &value, &length) || length == 0)
        return {};
    return static_cast<const char *>(value);
}

namespace {

// The fixed file information of a block, when it has one.
std::optional<VS_FIXEDFILEINFO> FixedInfo(const BYTE *block) {
    void *value = nullptr;
    UINT length = 0;
    if (!block || !VerQueryValueA(block, "\\", &value, &length) ||
        length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, value, sizeof info);
    if (info.dwSignature != VS_FFI_SIGNATURE)
        return std::nullopt;
    return info;
}

} // namespace

void TFileVersionRC::GetVersionText(std::string &text) const {
    const auto info = FixedInfo(FInfoBlock.get());
    if (!info)
        return;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%u.%u.%u.%u", unsigned(info->dwFileVersionMS >> 16),
                  unsigned(info->dwFileVersionMS & 0xFFFF), unsigned(info->dwFileVersionLS >> 16),
                  unsigned(info->dwFileVersionLS & 0xFFFF));
    text = buffer;
}

uint64_t TFileVersionRC::GetVersionNumber() const {
    const auto info = FixedInfo(FInfoBlock.get());
    if (!info)
        return 0;
    return (uint64_t(info->dwFileVersionMS) << 32) | info->dwFileVersionLS;
}
