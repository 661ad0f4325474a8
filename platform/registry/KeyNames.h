#pragma once
// Names of the predefined keys in paths such as "HKEY_CURRENT_USER\Software\x" or "HKCU\...".

#include "platform/registry/Registry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace registry {

struct RootedPath {
    HKEY root = nullptr;
    std::string subKey; // without leading or trailing backslashes
};

// Full names and the HKCU/HKLM/HKCR abbreviations, in any case.
std::optional<RootedPath> ParseRootedPath(std::string_view path);
// Whether two key or value names name the same thing (case-insensitive, Unicode case folding).
bool SameName(std::string_view a, std::string_view b);
// "HKEY_CURRENT_USER" and so on; empty for a key that is not predefined.
std::string RootKeyName(HKEY root);
// The names of a key's sub-keys (keys) or values, in enumeration order; empty on any error.
std::vector<std::string> EnumerateNames(HKEY key, bool keys);

} // namespace registry
