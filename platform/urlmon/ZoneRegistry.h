#pragma once
// Registry access of the zone managers: the key paths under "Internet Settings", typed reads that
// treat a value of the wrong type or size as absent, and writes.

#include "platform/registry/Registry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace urlmon {

inline constexpr std::string_view kInternetSettings =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

std::string ZoneKeyPath(DWORD zone);            // ...\Zones\<zone>
std::string ZoneMapPath(std::string_view rest); // ...\ZoneMap or ...\ZoneMap\<rest>
std::string ActionValueName(DWORD action);      // upper-case hex, e.g. "1A02"

// A REG_DWORD (or a 4-byte REG_BINARY); anything else, or no such key or value, is nullopt.
std::optional<DWORD> ReadDword(HKEY root, const std::string &path, const std::string &name);
// A REG_SZ or REG_EXPAND_SZ as text; nullopt otherwise.
std::optional<std::string> ReadString(HKEY root, const std::string &path, const std::string &name);
bool WriteDword(HKEY root, const std::string &path, const std::string &name, DWORD value);
bool WriteString(HKEY root, const std::string &path, const std::string &name,
                 const std::string &value);
bool DeleteValue(HKEY root, const std::string &path, const std::string &name);

// Owning handle of an open key; closes on destruction.
class RegKey final {
public:
    RegKey() = default;
    RegKey(HKEY root, const std::string &path, REGSAM access = KEY_READ);
    ~RegKey();
    RegKey(const RegKey &) = delete;
    RegKey &operator=(const RegKey &) = delete;

    explicit operator bool() const { return m_key != nullptr; }
    HKEY Get() const { return m_key; }
    std::optional<DWORD> Dword(const std::string &name) const;
    std::optional<std::string> String(const std::string &name) const;
    std::vector<std::string> SubKeyNames() const;
    // Names of the values with their type.
    std::vector<std::pair<std::string, DWORD>> Values() const;

private:
    HKEY m_key = nullptr;
};

} // namespace urlmon
