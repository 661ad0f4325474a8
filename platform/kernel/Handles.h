#pragma once
// Waitable kernel handles: change notifications and processes.

#include "platform/kernel/Win32.h"

constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
constexpr DWORD WAIT_TIMEOUT = 0x00000102;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

// WAIT_OBJECT_0 when the object is signalled within timeoutMs (0 polls, INFINITE waits for
// ever), WAIT_TIMEOUT otherwise, WAIT_FAILED for a handle that is not open.
DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs);
BOOL CloseHandle(HANDLE handle);
