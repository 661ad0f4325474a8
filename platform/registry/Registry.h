#pragma once
// Win32-style registry API over the SQLite user and machine stores of the platform directory.
// Strings are UTF-8 (the ANSI code page of this platform); sizes are in bytes as on the original
// platform. String data (REG_SZ, REG_EXPAND_SZ) is returned with its terminating NUL, REG_MULTI_SZ
// as NUL-separated strings ending with an empty one.

#include "platform/kernel/Win32.h"

struct HKEY__;
using HKEY = HKEY__ *;
using PHKEY = HKEY *;
using REGSAM = DWORD;
using LSTATUS = LONG;

#define QM_PREDEF_HKEY(v) (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<DWORD>(v))))
#define HKEY_CLASSES_ROOT QM_PREDEF_HKEY(0x80000000)
#define HKEY_CURRENT_USER QM_PREDEF_HKEY(0x80000001)
#define HKEY_LOCAL_MACHINE QM_PREDEF_HKEY(0x80000002)
#define HKEY_USERS QM_PREDEF_HKEY(0x80000003)

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

// Access rights.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM DELETE_ACCESS = 0x00010000; // DELETE
constexpr REGSAM READ_CONTROL = 0x00020000;
constexpr REGSAM KEY_READ = 0x00020019;
constexpr REGSAM KEY_WRITE = 0x00020006;
constexpr REGSAM KEY_EXECUTE = 0x00020019;
constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;

// RegCreateKeyEx options and dispositions.
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                        REGSAM access, void *securityAttributes, PHKEY result,
                        DWORD *disposition);
LSTATUS RegCloseKey(HKEY key);
LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD *reserved, DWORD *type, BYTE *data,
                         DWORD *dataSize);
LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE *data,
                       DWORD dataSize);
LSTATUS RegDeleteValueA(HKEY key, LPCSTR valueName);
// Fails with ERROR_ACCESS_DENIED when the key has sub-keys, as on the original platform.
LSTATUS RegDeleteKeyA(HKEY key, LPCSTR subKey);
// subKey null or empty: deletes the values and sub-keys of key itself.
LSTATUS RegDeleteTreeA(HKEY key, LPCSTR subKey);
LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, DWORD *nameChars, DWORD *reserved,
                      LPSTR keyClass, DWORD *classChars, FILETIME *lastWrite);
LSTATUS RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, DWORD *valueNameChars,
                      DWORD *reserved, DWORD *type, BYTE *data, DWORD *dataSize);
LSTATUS RegQueryInfoKeyA(HKEY key, LPSTR keyClass, DWORD *classChars, DWORD *reserved,
                         DWORD *subKeys, DWORD *maxSubKeyLen, DWORD *maxClassLen, DWORD *values,
                         DWORD *maxValueNameLen, DWORD *maxValueLen, DWORD *securityDescriptor,
                         FILETIME *lastWrite);
// Per-process redirection of a predefined key to an open key; newKey null restores the default.
LSTATUS RegOverridePredefKey(HKEY key, HKEY newKey);
