#include "platform/registry/ErrorText.h"
#include "platform/registry/RegistryObjects.h"

#include <charconv>
#include <cstring>

namespace {

// A key opened for one ini-file operation, closed again at the end of it.
class ScopedKey final {
public:
    ScopedKey() = default;
    ~ScopedKey() {
        if (FKey)
            RegCloseKey(FKey);
    }
    ScopedKey(const ScopedKey &) = delete;
    ScopedKey &operator=(const ScopedKey &) = delete;

    HKEY *out() { return &FKey; }
    HKEY get() const { return FKey; }

private:
    HKEY FKey = nullptr;
};

// The stored value, or nothing when it cannot be read.
bool ReadRaw(HKEY key, const std::string &ident, DWORD &type, std::vector<BYTE> &data) {
    DWORD size = 0;
    if (RegQueryValueExA(key, ident.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    data.resize(size);
    if (RegQueryValueExA(key, ident.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        return false;
    data.resize(size);
    return true;
}

std::string TextOf(const std::vector<BYTE> &data) {
    const auto *begin = reinterpret_cast<const char *>(data.data());
    return std::string(begin, strnlen(begin, data.size()));
}

// Decimal text with an optional sign; nothing else is accepted.
bool ParseDecimal(const std::string &text, int &value) {
    const char *begin = text.data();
    const char *end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    const auto [last, error] = std::from_chars(begin, end, value);
    return error == std::errc() && last == end && begin != end;
}

} // namespace

TRegistryIniFile::TRegistryIniFile(const std::string &fileName, REGSAM access)
    : FFileName(fileName), FRegistry(access) {
    FRegistry.OpenKey(fileName, true);
}

TRegistryIniFile::~TRegistryIniFile() = default;

const std::string &TRegistryIniFile::FileName() const {
    return FFileName;
}

TRegistry &TRegistryIniFile::RegIniFile() {
    return FRegistry;
}

namespace {

bool OpenSection(TRegistry &registry, const std::string &section, ScopedKey &key, REGSAM access) {
    if (registry.CurrentKey() == nullptr)
        return false;
    return RegOpenKeyExA(registry.CurrentKey(), section.c_str(), 0, access, key.out()) ==
           ERROR_SUCCESS;
}

bool OpenSection(TRegistry &registry, const std::string &section, ScopedKey &key) {
    return OpenSection(registry, section, key, registry.Access());
}

void CreateSection(TRegistry &registry, const std::string &section, ScopedKey &key) {
    const std::string where = registry.KeyDescription() + "\\" + section;
    if (registry.CurrentKey() == nullptr)
        throw ERegistryException("Failed to create key " + where + ": the key " +
                                 registry.KeyDescription() + " could not be opened");
    const LONG status =
        RegCreateKeyExA(registry.CurrentKey(), section.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        registry.Access(), nullptr, key.out(), nullptr);
    if (status != ERROR_SUCCESS)
        throw ERegistryException("Failed to create key " + where + ": " +
                                 registry::ErrorText(status));
}

void SetValue(TRegistry &registry, const std::string &section, const std::string &ident, DWORD type,
              const void *data, DWORD size) {
    ScopedKey key;
    CreateSection(registry, section, key);
    const LONG status =
        RegSetValueExA(key.get(), ident.c_str(), 0, type, static_cast<const BYTE *>(data), size);
    if (status != ERROR_SUCCESS)
        throw ERegistryException("Failed to set data for '" + ident + "' in " +
                                 registry.KeyDescription() + "\\" + section + ": " +
                                 registry::ErrorText(status));
}

} // namespace

std::string TRegistryIniFile::ReadString(const std::string &section, const std::string &ident,
                                         const std::string &defaultValue) {
    ScopedKey key;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    if (!OpenSection(FRegistry, section, key) || !ReadRaw(key.get(), ident, type, data))
        return defaultValue;
    if (type == REG_SZ || type == REG_EXPAND_SZ)
        return TextOf(data);
    if (type == REG_DWORD && data.size() == 4) {
        std::int32_t value = 0;
        std::memcpy(&value, data.data(), sizeof value);
        return std::to_string(value);
    }
    return defaultValue;
}

int TRegistryIniFile::ReadInteger(const std::string &section, const std::string &ident,
                                  int defaultValue) {
    ScopedKey key;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    if (!OpenSection(FRegistry, section, key) || !ReadRaw(key.get(), ident, type, data))
        return defaultValue;
    if (type == REG_SZ) {
        int value = 0;
        return ParseDecimal(TextOf(data), value) ? value : defaultValue;
    }
    // Any other type is read as a DWORD; data of another size cannot be one.
    if (data.size() != sizeof(std::int32_t))
        return defaultValue;
    std::int32_t value = 0;
    std::memcpy(&value, data.data(), sizeof value);
    return value;
}

bool TRegistryIniFile::ReadBool(const std::string &section, const std::string &ident,
                                bool defaultValue) {
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TRegistryIniFile::WriteString(const std::string &section, const std::string &ident,
                                   const std::string &value) {
    SetValue(FRegistry, section, ident, REG_SZ, value.c_str(),
             static_cast<DWORD>(value.size() + 1));
}

void TRegistryIniFile::WriteInteger(const std::string &section, const std::string &ident,
                                    int value) {
    // The stored type decides, also for a writer opened without query access.
    ScopedKey key;
    DWORD type = REG_NONE;
    if (OpenSection(FRegistry, section, key, KEY_QUERY_VALUE) &&
        RegQueryValueExA(key.get(), ident.c_str(), nullptr, &type, nullptr, nullptr) ==
            ERROR_SUCCESS &&
        type == REG_SZ) {
        WriteString(section, ident, std::to_string(value));
        return;
    }
    const auto data = static_cast<std::int32_t>(value);
    SetValue(FRegistry, section, ident, REG_DWORD, &data, sizeof data);
}

void TRegistryIniFile::WriteBool(const std::string &section, const std::string &ident, bool value) {
    WriteString(section, ident, value ? "1" : "0");
}

bool TRegistryIniFile::SectionExists(const std::string &section) {
    ScopedKey key;
    return OpenSection(FRegistry, section, key);
}

bool TRegistryIniFile::ValueExists(const std::string &section, const std::string &ident) {
    ScopedKey key;
    return OpenSection(FRegistry, section, key) &&
           RegQueryValueExA(key.get(), ident.c_str(), nullptr, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
}

std::vector<std::string> TRegistryIniFile::ReadSection(const std::string &section) {
    TRegistry view(FRegistry.Access());
    view.SetRootKey(FRegistry.RootKey());
    const std::string path = "\\" + FRegistry.CurrentPath() + "\\" + section;
    if (FRegistry.CurrentKey() == nullptr || !view.OpenKey(path, false))
        return {};
    return view.GetValueNames();
}

std::vector<std::string> TRegistryIniFile::ReadSections() {
    if (FRegistry.CurrentKey() == nullptr)
        return {};
    return FRegistry.GetKeyNames();
}

void TRegistryIniFile::DeleteKey(const std::string &section, const std::string &ident) {
    ScopedKey key;
    if (OpenSection(FRegistry, section, key))
        RegDeleteValueA(key.get(), ident.c_str());
}

void TRegistryIniFile::EraseSection(const std::string &section) {
    if (FRegistry.CurrentKey() != nullptr && !section.empty())
        RegDeleteTreeA(FRegistry.CurrentKey(), section.c_str());
}
