#pragma once
// Test fixture: a fresh platform directory made current for the fixture's lifetime, and small
// helpers to write the zone keys and site lists the tests start from.

#include "platform/registry/Registry.h"
#include "platform/urlmon/SecurityManager.h"
#include "platform/urlmon/ZoneManager.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <QtGlobal>

#include <string>
#include <vector>

class UrlmonFixture final {
public:
    UrlmonFixture() : m_saved(qgetenv("QUILLMERE_PLATFORM_DIR")) {
        qputenv("QUILLMERE_PLATFORM_DIR", m_dir.path().toLocal8Bit());
    }
    ~UrlmonFixture() { qputenv("QUILLMERE_PLATFORM_DIR", m_saved); }
    UrlmonFixture(const UrlmonFixture &) = delete;
    UrlmonFixture &operator=(const UrlmonFixture &) = delete;

    QString path() const { return m_dir.path(); }

private:
    QByteArray m_saved;
    QTemporaryDir m_dir;
};

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
