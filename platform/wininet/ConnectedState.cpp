// The global connected state lives in the user's registry, so every process of the user sees
// the same state and a change is visible to the next query of any of them.

#include "platform/registry/Registry.h"
#include "platform/registry/RegistryMemo.h"
#include "platform/wininet/WinInet.h"

namespace {

constexpr char kSettingsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr char kOfflineValue[] = "GlobalUserOffline";

// Only a non-zero REG_DWORD reads as offline; absent, another type or size reads as online.
bool ReadOffline() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LSTATUS status = RegQueryValueExA(key, kOfflineValue, nullptr, &type,
                                            reinterpret_cast<BYTE *>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value && value != 0;
}

LSTATUS WriteOffline(bool offline) {
    HKEY key = nullptr;
    LSTATUS status =
        RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    const DWORD value = offline ? 1 : 0;
    status = RegSetValueExA(key, kOfflineValue, 0, REG_DWORD,
                            reinterpret_cast<const BYTE *>(&value), sizeof value);
    RegCloseKey(key);
    return status;
}

BOOL Fail(LONG error) {
    SetLastError(static_cast<DWORD>(error));
    return FALSE;
}

} // namespace

BOOL InternetQueryOptionA(HINTERNET internet, DWORD option, void *buffer, DWORD *length) {
    if (internet)
        return Fail(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
    if (option != INTERNET_OPTION_CONNECTED_STATE)
        return Fail(ERROR_INTERNET_INVALID_OPTION);
    if (!length)
        return Fail(ERROR_INVALID_PARAMETER);
    if (!buffer || *length < sizeof(DWORD)) {
        *length = sizeof(DWORD);
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    *static_cast<DWORD *>(buffer) =
        ReadOffline() ? INTERNET_STATE_DISCONNECTED_BY_USER : INTERNET_STATE_CONNECTED;
    *length = sizeof(DWORD);
    return TRUE;
}

BOOL InternetSetOptionA(HINTERNET internet, DWORD option, void *buffer, DWORD length) {
    if (internet)
        return Fail(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
    if (option == INTERNET_OPTION_SETTINGS_CHANGED)
        return TRUE;
    if (option != INTERNET_OPTION_CONNECTED_STATE)
        return Fail(ERROR_INTERNET_INVALID_OPTION);
    if (!buffer)
        return Fail(ERROR_INVALID_PARAMETER);
    if (length != sizeof(INTERNET_CONNECTED_INFO))
        return Fail(ERROR_INTERNET_BAD_OPTION_LENGTH);
    const auto *info = static_cast<const INTERNET_CONNECTED_INFO *>(buffer);
    bool offline = false;
    if (info->dwConnectedState == INTERNET_STATE_DISCONNECTED_BY_USER)
        offline = true;
    else if (info->dwConnectedState != INTERNET_STATE_CONNECTED)
        return Fail(ERROR_INVALID_PARAMETER);
    const LSTATUS status = WriteOffline(offline);
    return status == ERROR_SUCCESS ? TRUE : Fail(status);
}

namespace platform {

// The engine asks for every request, so the state read last is kept while the registry stays
// unchanged: a write by any process is met by the next call.
bool IsGlobalOffline() {
    static registry::RegistryMemo<int, bool> state;
    return state.Get(0, ReadOffline);
}

} // namespace platform
