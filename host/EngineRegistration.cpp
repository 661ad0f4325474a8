#include "host/EngineRegistration.h"

#include "platform/com/KnownGuids.h"
#include "platform/registry/RegistryObjects.h"
#include "util/utility.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcEngineRegistration, "quillmere.host.registration")

bool RegisterEngineServer(const std::string &serverPath) {
    const std::string clsid = FormatGuid(CLSID_WebBrowser);
    TFileVersionRC registered;
    registered.LoadFromCLSID(clsid);
    if (registered.InfoBlock())
        return true;
    TFileVersionRC candidate;
    candidate.LoadFromFile(serverPath);
    if (!candidate.InfoBlock())
        return false;
    try {
        TRegistry registry(KEY_ALL_ACCESS);
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        if (!registry.OpenKey("Software\\Classes\\CLSID\\" + clsid + "\\InprocServer32", true))
            throw ERegistryException("the class key cannot be created");
        registry.WriteString("", serverPath);
        return true;
    } catch (const ERegistryException &e) {
        qCWarning(lcEngineRegistration, "the engine's class is not registered: %s", e.what());
        return false;
    }
}
