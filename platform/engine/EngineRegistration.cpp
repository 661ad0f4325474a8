#include "platform/engine/EngineRegistration.h"

#include "platform/com/KnownGuids.h"
#include "platform/kernel/Version.h"
#include "platform/registry/Registry.h"

#include <QLoggingCategory>

#include <cstring>
#include <vector>

Q_LOGGING_CATEGORY(lcEngineRegistration, "quillmere.engine.registration")

namespace engine {

namespace {

bool HasVersionResource(const std::string &path) {
    DWORD handle = 0;
    return !path.empty() && GetFileVersionInfoSizeA(path.c_str(), &handle) != 0;
}

// The default value of the class's InprocServer32 key as the merged classes view shows it.
std::string RegisteredServer(const std::string &serverKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, serverKey.c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return {};
    DWORD type = 0;
    DWORD size = 0;
    std::string path;
    if (RegQueryValueExA(key, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0) {
        std::vector<char> data(size);
        if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(data.data()),
                             &size) == ERROR_SUCCESS)
            path.assign(data.data(), strnlen(data.data(), size));
    }
    RegCloseKey(key);
    return path;
}

} // namespace

bool RegisterEngineClass(const std::string &serverPath) {
    const std::string serverKey = "CLSID\\" + FormatGuid(CLSID_WebBrowser) + "\\InprocServer32";
    if (HasVersionResource(RegisteredServer(serverKey)))
        return true;
    if (!HasVersionResource(serverPath))
        return false;
    HKEY key = nullptr;
    LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, ("Software\\Classes\\" + serverKey).c_str(),
                                  0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (result == ERROR_SUCCESS) {
        result = RegSetValueExA(key, nullptr, 0, REG_SZ,
                                reinterpret_cast<const BYTE *>(serverPath.c_str()),
                                DWORD(serverPath.size() + 1));
        RegCloseKey(key);
    }
    if (result != ERROR_SUCCESS) {
        qCWarning(lcEngineRegistration, "the engine's class is not registered (error %d)",
                  int(result));
        return false;
    }
    return true;
}

} // namespace engine
