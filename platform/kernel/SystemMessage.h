#pragma once
// The system's message texts: FormatMessageA for Win32 error codes and HRESULTs, in the system's
// language (Japanese, as the program's users run it).

#include "platform/kernel/Win32.h"

constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
constexpr LONG ERROR_MR_MID_NOT_FOUND = 317;

// With FORMAT_MESSAGE_FROM_SYSTEM: the text of messageId (a Win32 error code, or an HRESULT;
// HRESULT_FROM_WIN32 codes have the text of their Win32 code), in UTF-8 and ending with CR LF as
// the original's texts do. Returns its length without the NUL; 0 with ERROR_MR_MID_NOT_FOUND for
// a code without a text, ERROR_INSUFFICIENT_BUFFER when it does not fit into size bytes, or
// ERROR_INVALID_PARAMETER for other sources, a language other than 0 or a null buffer.
// Inserts are never expanded.
DWORD FormatMessageA(DWORD flags, const void *source, DWORD messageId, DWORD languageId,
                     LPSTR buffer, DWORD size, void *arguments);
