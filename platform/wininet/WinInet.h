#pragma once
// The Internet library's URL canonicaliser and its global connected state.
// Strings are UTF-8 (the ANSI code page of this platform); lengths are in bytes.

#include "platform/kernel/Win32.h"

using HINTERNET = void *;

// InternetCanonicalizeUrlA flags.
constexpr DWORD ICU_ESCAPE = 0x80000000;
constexpr DWORD ICU_USERNAME = 0x40000000;
constexpr DWORD ICU_NO_ENCODE = 0x20000000;
constexpr DWORD ICU_DECODE = 0x10000000;
constexpr DWORD ICU_NO_META = 0x08000000;
constexpr DWORD ICU_ENCODE_SPACES_ONLY = 0x04000000;
constexpr DWORD ICU_BROWSER_MODE = 0x02000000;
constexpr DWORD ICU_ENCODE_PERCENT = 0x00001000;

// Options and states of the connected state.
constexpr DWORD INTERNET_OPTION_SETTINGS_CHANGED = 39;
constexpr DWORD INTERNET_OPTION_CONNECTED_STATE = 50;
constexpr DWORD INTERNET_STATE_CONNECTED = 0x1;
constexpr DWORD INTERNET_STATE_DISCONNECTED = 0x2;
constexpr DWORD INTERNET_STATE_DISCONNECTED_BY_USER = 0x10;
constexpr DWORD INTERNET_STATE_IDLE = 0x100;
constexpr DWORD INTERNET_STATE_BUSY = 0x200;
constexpr DWORD ISO_FORCE_DISCONNECTED = 0x1;

struct INTERNET_CONNECTED_INFO {
    DWORD dwConnectedState = 0;
    DWORD dwFlags = 0;
};

constexpr LONG ERROR_INTERNET_INVALID_OPTION = 12009;
constexpr LONG ERROR_INTERNET_BAD_OPTION_LENGTH = 12010;
constexpr LONG ERROR_INTERNET_INCORRECT_HANDLE_TYPE = 12018;

// Canonicalises url into buffer (*length bytes). Success: TRUE, *length = bytes written without
// the NUL. Buffer too small: FALSE, ERROR_INSUFFICIENT_BUFFER, *length = bytes needed including
// the NUL. Null arguments: ERROR_INVALID_PARAMETER. Unusable URL: ERROR_INTERNET_INVALID_URL;
// a file URL without an absolute path: ERROR_BAD_PATHNAME. Browser mode is always on.
BOOL InternetCanonicalizeUrlA(LPCSTR url, LPSTR buffer, DWORD *length, DWORD flags);

// Only the global options exist here (handle null): INTERNET_OPTION_CONNECTED_STATE queries a
// DWORD (INTERNET_STATE_CONNECTED or INTERNET_STATE_DISCONNECTED_BY_USER) and sets an
// INTERNET_CONNECTED_INFO; INTERNET_OPTION_SETTINGS_CHANGED is accepted (the state is read
// fresh on every query anyway).
BOOL InternetQueryOptionA(HINTERNET internet, DWORD option, void *buffer, DWORD *length);
BOOL InternetSetOptionA(HINTERNET internet, DWORD option, void *buffer, DWORD length);

namespace platform {

// True while the user's global state is "disconnected by the user". The state read last is kept
// while the registry is unchanged, so changes from other processes apply from the next call.
bool IsGlobalOffline();

} // namespace platform
