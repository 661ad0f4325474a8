// Child process of the concurrency test: writes through the registry API while others do too.
// Usage: registry_stress_child distinct <writer> <count> | toggle <writer> <count>

#include "platform/registry/Registry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int Fail(const char *what, LONG status) {
    std::fprintf(stderr, "%s failed with error %ld\n", what, static_cast<long>(status));
    return 1;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 4)
        return 2;
    const std::string mode = argv[1];
    const std::string writer = argv[2];
    const int count = std::atoi(argv[3]);
    const std::string path = mode == "distinct" ? "Software\\Stress\\Writer" + writer
                                                : std::string("Software\\Stress\\Shared");
    for (int i = 0; i < count; ++i) {
        // Open per write, as the program's ini-file objects do.
        HKEY key = nullptr;
        LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                      KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (status != ERROR_SUCCESS)
            return Fail("RegCreateKeyExA", status);
        const DWORD value = mode == "distinct" ? DWORD(i) : DWORD(i % 2);
        const std::string name = mode == "distinct" ? "v" + std::to_string(i) : "flag";
        status = RegSetValueExA(key, name.c_str(), 0, REG_DWORD,
                                reinterpret_cast<const BYTE *>(&value), sizeof value);
        if (status != ERROR_SUCCESS)
            return Fail("RegSetValueExA", status);
        DWORD read = 0, size = sizeof read;
        status = RegQueryValueExA(key, name.c_str(), nullptr, nullptr,
                                  reinterpret_cast<BYTE *>(&read), &size);
        if (status != ERROR_SUCCESS)
            return Fail("RegQueryValueExA", status);
        if (mode == "distinct" && read != value)
            return Fail("read back", -1);
        RegCloseKey(key);
    }
    return 0;
}
