// Child process of the cache tests: changes the registry from another process.
// Usage: registry_edit_child set-dword ROOTED-KEY NAME NUMBER
//        registry_edit_child set-string ROOTED-KEY NAME TEXT
//        registry_edit_child delete-value ROOTED-KEY NAME
//        registry_edit_child delete-tree ROOTED-KEY
//        registry_edit_child sql STORE-FILE COUNT STATEMENTS   (COUNT transactions of SQLite
//        itself)
// ROOTED-KEY is written as HKCU\..., HKLM\... or HKCR\...

#include "platform/registry/KeyNames.h"
#include "platform/registry/Registry.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int Fail(const char *what, long status) {
    std::fprintf(stderr, "registry_edit_child: %s failed (%ld)\n", what, status);
    return 1;
}

int SetValue(const registry::RootedPath &path, const char *name, DWORD type, const BYTE *data,
             DWORD size) {
    HKEY key = nullptr;
    LONG status = RegCreateKeyExA(path.root, path.subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return Fail("RegCreateKeyExA", status);
    status = RegSetValueExA(key, name, 0, type, data, size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? 0 : Fail("RegSetValueExA", status);
}

int DeleteValue(const registry::RootedPath &path, const char *name) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(path.root, path.subKey.c_str(), 0, KEY_SET_VALUE, &key);
    if (status != ERROR_SUCCESS)
        return Fail("RegOpenKeyExA", status);
    status = RegDeleteValueA(key, name);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? 0 : Fail("RegDeleteValueA", status);
}

int ExpectString(const registry::RootedPath &path, const char *name, const std::string &text) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(path.root, path.subKey.c_str(), 0, KEY_QUERY_VALUE, &key);
    if (status != ERROR_SUCCESS)
        return Fail("RegOpenKeyExA", status);
    std::string data(text.size() + 2, '\0');
    DWORD size = static_cast<DWORD>(data.size());
    status =
        RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(data.data()), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return Fail("RegQueryValueExA", status);
    if (data.c_str() != text)
        return Fail(("value is \"" + std::string(data.c_str()) + "\"").c_str(), 0);
    return 0;
}

int RunSql(const char *file, int count, const char *statements) {
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(file, &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return Fail("sqlite3_open_v2", sqlite3_errcode(db));
    sqlite3_busy_timeout(db, 60000);
    const std::string transaction = std::string("BEGIN IMMEDIATE;") + statements + ";COMMIT;";
    int result = SQLITE_OK;
    for (int i = 0; i < count && result == SQLITE_OK; ++i)
        result = sqlite3_exec(db, transaction.c_str(), nullptr, nullptr, nullptr);
    if (result != SQLITE_OK)
        std::fprintf(stderr, "registry_edit_child: %s\n", sqlite3_errmsg(db));
    sqlite3_close(db);
    return result == SQLITE_OK ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "sql" && argc == 5)
        return RunSql(argv[2], std::atoi(argv[3]), argv[4]);
    const auto path = argc > 2 ? registry::ParseRootedPath(argv[2]) : std::nullopt;
    if (!path)
        return 2;
    if (command == "set-dword" && argc == 5) {
        const DWORD value = static_cast<DWORD>(std::strtoul(argv[4], nullptr, 0));
        return SetValue(*path, argv[3], REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                        sizeof value);
    }
    if (command == "set-string" && argc == 5)
        return SetValue(*path, argv[3], REG_SZ, reinterpret_cast<const BYTE *>(argv[4]),
                        static_cast<DWORD>(std::string(argv[4]).size() + 1));
    if (command == "expect-string" && argc == 5)
        return ExpectString(*path, argv[3], argv[4]);
    if (command == "delete-value" && argc == 4)
        return DeleteValue(*path, argv[3]);
    if (command == "delete-tree" && argc == 3) {
        const LONG status = RegDeleteTreeA(path->root, path->subKey.c_str());
        return status == ERROR_SUCCESS ? 0 : Fail("RegDeleteTreeA", status);
    }
    return 2;
}
