#pragma once
// The class registration of the browser engine (CLSID_WebBrowser), part of the engine module's
// first-use seeding of the machine store. The engine runs inside the program's executable, so
// that executable, which carries the version resource, is the engine's in-process server and
// the engine's version is read from it.

#include <string>

namespace engine {

// Registers serverPath as HKLM\Software\Classes\CLSID\{8856F961-...}\InprocServer32 unless the
// class's registered server already carries a version resource. A read-only machine store leaves
// the registration as it is (logged). Returns whether a server with a version is registered.
bool RegisterEngineClass(const std::string &serverPath);

} // namespace engine
