#include "platform/urlmon/ZoneRegistry.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace urlmon {

std::string ZoneKeyPath(DWORD zone) {
    return std::string(kInternetSettings) + "\\Zones\\" + std::to_string(zone);
}

std::string ZoneMapPath(std::string_view rest) {
    std::string path = std::string(kInternetSettings) + "\\ZoneMap";
    if (!rest.empty())
        path.append("\\").append(rest);
    return path;
}

std::string ActionValueName(DWORD action) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "%04X", static_cast<unsigned>(action));
    return text.data();
}

RegKey::RegKey(HKEY root, const std::string &path, REGSAM access) {
    if (RegOpenKeyExA(root, path.c_str(), 0, access, &m_key) != ERROR_SUCCESS)
        m_key = nullptr;
}

RegKey::~RegKey() {
    if (m_key)
        RegCloseKey(m_key);
}

std::optional<DWORD> RegKey::Dword(const std::string &name) const {
    if (!m_key)
        return std::nullopt;
    DWORD type = REG_NONE;
    std::array<BYTE, 8> data{};
    DWORD size = data.size();
    if (RegQueryValueExA(m_key, name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    if ((type != REG_DWORD && type != REG_BINARY) || size != 4)
        return std::nullopt;
    return DWORD(data[0]) | DWORD(data[1]) << 8 | DWORD(data[2]) << 16 | DWORD(data[3]) << 24;
}

std::optional<std::string> RegKey::String(const std::string &name) const {
    if (!m_key)
        return std::nullopt;
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExA(m_key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::string text(size, '\0');
    if (RegQueryValueExA(m_key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(text.data()),
                         &size) != ERROR_SUCCESS)
        return std::nullopt;
    text.resize(std::min<std::size_t>(size, text.size()));
    if (const auto nul = text.find('\0'); nul != std::string::npos)
        text.resize(nul);
    return text;
}

std::vector<std::string> RegKey::SubKeyNames() const {
    std::vector<std::string> names;
    if (!m_key)
        return names;
    std::array<char, 256> name{};
    for (DWORD i = 0;; ++i) {
        DWORD chars = name.size();
        const LSTATUS status =
            RegEnumKeyExA(m_key, i, name.data(), &chars, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA)
            continue; // longer than any host name; not a site entry
        if (status != ERROR_SUCCESS)
            break;
        names.emplace_back(name.data(), chars);
    }
    return names;
}

std::vector<std::pair<std::string, DWORD>> RegKey::Values() const {
    std::vector<std::pair<std::string, DWORD>> values;
    if (!m_key)
        return values;
    std::array<char, 256> name{};
    for (DWORD i = 0;; ++i) {
        DWORD chars = name.size();
        DWORD type = REG_NONE;
        const LSTATUS status =
            RegEnumValueA(m_key, i, name.data(), &chars, nullptr, &type, nullptr, nullptr);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            break;
        values.emplace_back(std::string(name.data(), chars), type);
    }
    return values;
}

std::optional<DWORD> ReadDword(HKEY root, const std::string &path, const std::string &name) {
    return RegKey(root, path).Dword(name);
}

std::optional<std::string> ReadString(HKEY root, const std::string &path, const std::string &name) {
    return RegKey(root, path).String(name);
}

bool WriteDword(HKEY root, const std::string &path, const std::string &name, DWORD value) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    const std::array<BYTE, 4> data{BYTE(value), BYTE(value >> 8), BYTE(value >> 16),
                                   BYTE(value >> 24)};
    const bool ok =
        RegSetValueExA(key, name.c_str(), 0, REG_DWORD, data.data(), data.size()) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool WriteString(HKEY root, const std::string &path, const std::string &name,
                 const std::string &value) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    const bool ok =
        RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool DeleteValue(HKEY root, const std::string &path, const std::string &name) {
    RegKey key(root, path, KEY_SET_VALUE);
    return key && RegDeleteValueA(key.Get(), name.c_str()) == ERROR_SUCCESS;
}

} // namespace urlmon
