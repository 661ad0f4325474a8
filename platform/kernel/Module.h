#pragma once
// PE modules opened as data files, for their string resources. No code is ever loaded: only
// LOAD_LIBRARY_AS_DATAFILE (and its image-resource / exclusive variants) are accepted.

#include "platform/kernel/Win32.h"

using HMODULE = HANDLE;
using HINSTANCE = HANDLE;

constexpr DWORD LOAD_LIBRARY_AS_DATAFILE = 0x00000002;
constexpr DWORD LOAD_LIBRARY_AS_IMAGE_RESOURCE = 0x00000020;
constexpr DWORD LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE = 0x00000040;

// Null on failure: ERROR_NOT_SUPPORTED without a data-file flag, ERROR_FILE_NOT_FOUND,
// ERROR_BAD_FORMAT for a file that is not a PE image, ...
HMODULE LoadLibraryExA(LPCSTR fileName, HANDLE file, DWORD flags);
BOOL FreeLibrary(HMODULE module);

// Copies string resource id as UTF-8 into buffer (bufferMax bytes including the NUL), cut at a
// character boundary when it does not fit; returns its length in bytes without the NUL. 0 for a
// missing or empty string, with GetLastError telling which (ERROR_SUCCESS for empty).
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax);
