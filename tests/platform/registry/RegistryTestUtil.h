#pragma once
// Small helpers over the registry API for tests.

#include "platform/registry/Registry.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const RawValue &) const = default;
};

// An open key closed at the end of the scope.
class TestKey final {
public:
    TestKey() = default;
    explicit TestKey(HKEY key) : FKey(key) {}
    ~TestKey() { reset(); }
    TestKey(const TestKey &) = delete;
    TestKey &operator=(const TestKey &) = delete;

    HKEY get() const { return FKey; }
    HKEY *out() {
        reset();
        return &FKey;
    }
    void reset() {
        if (FKey)
            RegCloseKey(FKey);
        FKey = nullptr;
    }

private:
    HKEY FKey = nullptr;
};

inline LONG CreateKey(HKEY root, const char *path, TestKey &key, REGSAM access = KEY_ALL_ACCESS,
                      DWORD *disposition = nullptr) {
    return RegCreateKeyExA(root, path, 0, nullptr, 0, access, nullptr, key.out(), disposition);
}

inline LONG OpenKey(HKEY root, const char *path, TestKey &key, REGSAM access = KEY_READ) {
    return RegOpenKeyExA(root, path, 0, access, key.out());
}

inline bool KeyExists(HKEY root, const char *path) {
    TestKey key;
    return OpenKey(root, path, key) == ERROR_SUCCESS;
}

inline LONG SetString(HKEY key, const char *name, const std::string &value, DWORD type = REG_SZ) {
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE *>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

inline LONG SetDword(HKEY key, const char *name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                          sizeof value);
}

// Creates root\path and sets one string value in it.
inline LONG PutString(HKEY root, const char *path, const char *name, const std::string &value) {
    TestKey key;
    if (const LONG status = CreateKey(root, path, key); status != ERROR_SUCCESS)
        return status;
    return SetString(key.get(), name, value);
}

inline std::optional<RawValue> QueryRaw(HKEY key, const char *name) {
    RawValue value;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    if (RegQueryValueExA(key, name, nullptr, &value.type, value.data.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    return value;
}

// The string value of root\path\name, or nothing.
inline std::optional<std::string> GetString(HKEY root, const char *path, const char *name) {
    TestKey key;
    if (OpenKey(root, path, key) != ERROR_SUCCESS)
        return std::nullopt;
    const auto value = QueryRaw(key.get(), name);
    if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ))
        return std::nullopt;
    return std::string(reinterpret_cast<const char *>(value->data.data()));
}

inline std::vector<std::string> SubKeyNames(HKEY key) {
    std::vector<std::string> names;
    char buffer[512];
    for (DWORD index = 0;; ++index) {
        DWORD chars = sizeof buffer;
        if (RegEnumKeyExA(key, index, buffer, &chars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return names;
        names.emplace_back(buffer, chars);
    }
}

inline std::vector<std::string> ValueNames(HKEY key) {
    std::vector<std::string> names;
    char buffer[512];
    for (DWORD index = 0;; ++index) {
        DWORD chars = sizeof buffer;
        if (RegEnumValueA(key, index, buffer, &chars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return names;
        names.emplace_back(buffer, chars);
    }
}

inline std::vector<BYTE> Bytes(const char *data, std::size_t size) {
    return std::vector<BYTE>(reinterpret_cast<const BYTE *>(data),
                             reinterpret_cast<const BYTE *>(data) + size);
}
