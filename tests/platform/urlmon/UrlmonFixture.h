#pragma once
// The zone tests' fixture: small helpers to write the zone keys and site lists the tests start
// from, each test in a fresh platform directory of its own (FreshPlatformDir).

#include "platform/registry/Registry.h"
#include "platform/urlmon/SecurityManager.h"
#include "platform/urlmon/ZoneManager.h"
#include "tests/support/FreshPlatformDir.h"

#include <QString>

#include <string>
#include <vector>

inline const std::string kSettings =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\";

inline bool SetValue(HKEY root, const std::string &path, const std::string &name, DWORD type,
                     const std::vector<BYTE> &data) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, (kSettings + path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    const bool ok = RegSetValueExA(key, name.c_str(), 0, type, data.data(),
                                   static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

inline bool SetDword(HKEY root, const std::string &path, const std::string &name, DWORD value) {
    return SetValue(root, path, name, REG_DWORD,
                    {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)});
}

inline bool SetText(HKEY root, const std::string &path, const std::string &name,
                    const std::string &text) {
    const auto *bytes = reinterpret_cast<const BYTE *>(text.c_str());
    return SetValue(root, path, name, REG_SZ, std::vector<BYTE>(bytes, bytes + text.size() + 1));
}

inline std::u16string W(const QString &text) {
    return text.toStdU16String();
}

inline ComPtr<IInternetSecurityManager> NewSecurityManager() {
    ComPtr<IInternetSecurityManager> manager;
    CoInternetCreateSecurityManager(nullptr, manager.ReleaseAndGetAddressOf(), 0);
    return manager;
}

inline ComPtr<IInternetZoneManager> NewZoneManager() {
    ComPtr<IInternetZoneManager> manager;
    CoInternetCreateZoneManager(nullptr, manager.ReleaseAndGetAddressOf(), 0);
    return manager;
}
