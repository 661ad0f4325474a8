#pragma once
// The option key of the current user, and the values the program keeps in it besides the
// local-browsing settings (policy/LocalBrowseSettings.cpp names those). Each value is named here
// once and read and written only as its type.

#include "platform/registry/IniValue.h"

#include <memory>

namespace optionkey {

// Below HKEY_CURRENT_USER; sections are its sub-keys.
inline constexpr const char *Path = "Software\\Tarnwick\\Lumenvale\\1.0";

// An ini-file object on the option key with the given access. Every object on the key comes
// from here: the option store's two and the main window's two.
inline std::unique_ptr<TRegistryIniFile> Open(REGSAM access) {
    return std::make_unique<TRegistryIniFile>(Path, access);
}

inline constexpr TIniValue<bool> CheckDefaultBrowser{"Debug", "CheckDefaultBrowser", false};
inline constexpr TIniValue<bool> DebugEnable{"Debug", "Enable", false};
inline constexpr TIniValue<bool> LogDialog{"Debug", "LogDialog", false};
inline constexpr TIniValue<bool> ToolbarExt{"Debug", "ToolbarExt", false};
inline constexpr TIniValue<bool> StatusBar{"Window", "StatusBar", true};
inline constexpr TIniValue<bool> ShowMessage{"UI", "ShowMessage", true};
inline constexpr TIniValue<int> DefaultWidth{"UI", "DefaultWidth", -1};
inline constexpr TIniValue<int> DefaultHeight{"UI", "DefaultHeight", -1};

} // namespace optionkey
