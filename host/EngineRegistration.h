#pragma once
// The class registration of the browser engine (CLSID_WebBrowser) through which the engine's
// version is read. The engine runs inside this program's executable, so the executable, which
// carries the version resource, is the engine's in-process server.
//
// TO MOVE: this belongs to the engine module's first-use seeding of the machine store; it lives
// here only until the engine module registers its class itself.

#include <string>

// Registers serverPath as HKLM\Software\Classes\CLSID\{8856F961-...}\InprocServer32 unless the
// class's registered server already carries a readable version resource. A read-only machine
// store leaves the registration as it is (logged). Returns whether a server with a version is
// registered.
bool RegisterEngineServer(const std::string &serverPath);
