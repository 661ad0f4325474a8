#include "platform/registry/RegistryObjects.h"

#include "platform/registry/ErrorText.h"
#include "platform/registry/KeyNames.h"

#include <cstring>
#include <utility>

namespace {

bool IsRelative(const std::string &key) {
    return key.empty() || key.front() != '\\';
}

std::string StripLeadingSlash(const std::string &key) {
    return IsRelative(key) ? key : key.substr(1);
}

TRegDataType DataTypeOf(DWORD type) {
    switch (type) {
    case REG_SZ:
        return TRegDataType::rdString;
    case REG_EXPAND_SZ:
        return TRegDataType::rdExpandString;
    case REG_DWORD:
        return TRegDataType::rdInteger;
    case REG_BINARY:
        return TRegDataType::rdBinary;
    default:
        return TRegDataType::rdUnknown;
    }
}

// Reads a whole value; false when it cannot be read.
bool QueryValue(HKEY key, const std::string &name, DWORD &type, std::vector<BYTE> &data) {
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    for (;;) { // the value may grow between the two calls
        data.resize(size);
        const LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_SUCCESS) {
            data.resize(size);
            return true;
        }
        if (status != ERROR_MORE_DATA)
            return false;
    }
}

std::string TextOf(const std::vector<BYTE> &data) {
    const auto *begin = reinterpret_cast<const char *>(data.data());
    return std::string(begin, strnlen(begin, data.size()));
}

} // namespace

TRegistry::TRegistry(REGSAM access) : FAccess(access) {}

TRegistry::~TRegistry() {
    CloseKey();
}

HKEY TRegistry::RootKey() const {
    return FRootKey;
}

void TRegistry::SetRootKey(HKEY root) {
    if (root == FRootKey)
        return;
    FRootKey = root;
    CloseKey();
}

REGSAM TRegistry::Access() const {
    return FAccess;
}

void TRegistry::SetAccess(REGSAM access) {
    FAccess = access;
}

HKEY TRegistry::CurrentKey() const {
    return FCurrentKey;
}

const std::string &TRegistry::CurrentPath() const {
    return FCurrentPath;
}

std::string TRegistry::KeyDescription() const {
    const std::string root = registry::RootKeyName(FRootKey);
    return FCurrentPath.empty() ? root : root + "\\" + FCurrentPath;
}

HKEY TRegistry::BaseKey(bool relative) const {
    return FCurrentKey == nullptr || !relative ? FRootKey : FCurrentKey;
}

HKEY TRegistry::ValueKey() const {
    return FCurrentKey;
}

void TRegistry::ChangeKey(HKEY key, const std::string &path) {
    CloseKey();
    FCurrentKey = key;
    FCurrentPath = path;
}

HKEY TRegistry::OpenRaw(const std::string &key, REGSAM access) const {
    HKEY result = nullptr;
    const auto path = StripLeadingSlash(key);
    if (RegOpenKeyExA(BaseKey(IsRelative(key)), path.c_str(), 0, access, &result) != ERROR_SUCCESS)
        return nullptr;
    return result;
}

bool TRegistry::OpenKey(const std::string &key, bool canCreate) {
    const bool relative = IsRelative(key);
    std::string path = StripLeadingSlash(key);
    HKEY opened = nullptr;
    const LONG status =
        canCreate && !path.empty()
            ? RegCreateKeyExA(BaseKey(relative), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              FAccess, nullptr, &opened, nullptr)
            : RegOpenKeyExA(BaseKey(relative), path.c_str(), 0, FAccess, &opened);
    if (status != ERROR_SUCCESS)
        return false;
    if (FCurrentKey && relative)
        path = FCurrentPath.empty() ? path : FCurrentPath + "\\" + path;
    ChangeKey(opened, path);
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string &key) {
    const REGSAM saved = std::exchange(FAccess, KEY_READ);
    const bool opened = OpenKey(key, false);
    FAccess = saved;
    return opened;
}

bool TRegistry::CreateKey(const std::string &key) {
    HKEY created = nullptr;
    const auto path = StripLeadingSlash(key);
    const LONG status =
        RegCreateKeyExA(BaseKey(IsRelative(key)), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        FAccess, nullptr, &created, nullptr);
    if (status != ERROR_SUCCESS)
        throw ERegistryException("Failed to create key " + key + " in " + KeyDescription() + ": " +
                                 registry::ErrorText(status));
    RegCloseKey(created);
    return true;
}

void TRegistry::CloseKey() {
    if (FCurrentKey)
        RegCloseKey(FCurrentKey);
    FCurrentKey = nullptr;
    FCurrentPath.clear();
}

bool TRegistry::KeyExists(const std::string &key) {
    HKEY opened = OpenRaw(key, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | READ_CONTROL);
    if (opened)
        RegCloseKey(opened);
    return opened != nullptr;
}

bool TRegistry::DeleteKey(const std::string &key) {
    const auto path = StripLeadingSlash(key);
    if (path.empty())
        return false;
    return RegDeleteTreeA(BaseKey(IsRelative(key)), path.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::HasSubKeys() {
    DWORD subKeys = 0;
    return RegQueryInfoKeyA(ValueKey(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           subKeys > 0;
}

std::vector<std::string> TRegistry::GetKeyNames() {
    return registry::EnumerateNames(ValueKey(), true);
}

std::vector<std::string> TRegistry::GetValueNames() {
    return registry::EnumerateNames(ValueKey(), false);
}

bool TRegistry::ValueExists(const std::string &name) {
    TRegDataInfo info;
    return GetDataInfo(name, info);
}

bool TRegistry::DeleteValue(const std::string &name) {
    return RegDeleteValueA(ValueKey(), name.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::GetDataInfo(const std::string &name, TRegDataInfo &info) {
    DWORD type = REG_NONE, size = 0;
    info = TRegDataInfo{};
    if (RegQueryValueExA(ValueKey(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    info.RegData = DataTypeOf(type);
    info.DataSize = size;
    return true;
}

TRegDataType TRegistry::GetDataType(const std::string &name) {
    TRegDataInfo info;
    GetDataInfo(name, info);
    return info.RegData;
}

int TRegistry::GetDataSize(const std::string &name) {
    TRegDataInfo info;
    return GetDataInfo(name, info) ? static_cast<int>(info.DataSize) : -1;
}

void TRegistry::ReadError(const std::string &name) const {
    throw ERegistryException("Invalid data type for '" + name + "' in " + KeyDescription());
}

std::string TRegistry::ReadString(const std::string &name) {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    if (!QueryValue(ValueKey(), name, type, data))
        return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        ReadError(name);
    return TextOf(data);
}

std::string TRegistry::ReadExpandString(const std::string &name) {
    return ReadString(name);
}

int TRegistry::ReadInteger(const std::string &name) {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    if (!QueryValue(ValueKey(), name, type, data))
        throw ERegistryException("Failed to get data for '" + name + "' in " + KeyDescription());
    if (type != REG_DWORD || data.size() != sizeof(std::int32_t))
        ReadError(name);
    std::int32_t value = 0;
    std::memcpy(&value, data.data(), sizeof value);
    return value;
}

bool TRegistry::ReadBool(const std::string &name) {
    return ReadInteger(name) != 0;
}

std::vector<BYTE> TRegistry::ReadBinaryData(const std::string &name) {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    if (!QueryValue(ValueKey(), name, type, data))
        return {};
    if (DataTypeOf(type) != TRegDataType::rdBinary && DataTypeOf(type) != TRegDataType::rdUnknown)
        ReadError(name);
    return data;
}

void TRegistry::PutData(const std::string &name, DWORD type, const BYTE *data, DWORD size) {
    const LONG status = RegSetValueExA(ValueKey(), name.c_str(), 0, type, data, size);
    if (status != ERROR_SUCCESS)
        throw ERegistryException("Failed to set data for '" + name + "' in " + KeyDescription() +
                                 ": " + registry::ErrorText(status));
}

void TRegistry::WriteString(const std::string &name, const std::string &value) {
    PutData(name, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
            static_cast<DWORD>(value.size() + 1));
}

void TRegistry::WriteExpandString(const std::string &name, const std::string &value) {
    PutData(name, REG_EXPAND_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
            static_cast<DWORD>(value.size() + 1));
}

void TRegistry::WriteInteger(const std::string &name, int value) {
    const auto data = static_cast<std::int32_t>(value);
    PutData(name, REG_DWORD, reinterpret_cast<const BYTE *>(&data), sizeof data);
}

void TRegistry::WriteBool(const std::string &name, bool value) {
    WriteInteger(name, value);
}

void TRegistry::WriteBinaryData(const std::string &name, const std::vector<BYTE> &data) {
    PutData(name, REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
}
