#pragma once
// Environment expansion and debugger output.

#include "platform/kernel/Win32.h"

// Replaces every %NAME% by the value of the environment variable NAME (looked up exactly, then
// ignoring the case of ASCII letters); references to unknown variables and a lone % stay as
// written. Returns the size of the result in bytes including the terminating NUL; the result is
// copied only when it fits into size bytes (dest may then be null), so a return value above
// size asks for a larger buffer. Returns 0 with ERROR_INVALID_PARAMETER when source is null.
DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR dest, DWORD size);

// There is no debugger channel here: the text goes to standard error when the environment
// variable QUILLMERE_DEBUG_OUTPUT is set to a non-empty value, and nowhere otherwise.
void OutputDebugStringA(LPCSTR text);
