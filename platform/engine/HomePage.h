#pragma once
// The home page as the original platform keeps it: the REG_SZ "Start Page" under
// HKCU\Software\Microsoft\Internet Explorer\Main.

#include <QString>

namespace engine {

inline constexpr char kHomePageKey[] = "Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr char kHomePageValue[] = "Start Page";

// The stored home page; "about:blank" when it is missing, empty or not a string.
QString HomePage();

} // namespace engine
