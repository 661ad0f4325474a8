#pragma once
// The ANSI code page. Byte strings of this system are UTF-8, so GetACP() is CP_UTF8; the
// Shift-JIS (932) lead-byte rules stay available for double-byte-aware scanning of texts in
// that code page.

#include "platform/kernel/Win32.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;
constexpr UINT CP_SHIFT_JIS = 932;

UINT GetACP();

// Code page 932: 0x81-0x9F and 0xE0-0xFC lead a double-byte character. UTF-8 has no lead
// bytes in this sense (FALSE). Other code pages: FALSE with ERROR_INVALID_PARAMETER.
BOOL IsDBCSLeadByteEx(UINT codePage, BYTE testChar);

// The character after the one at current, in code page 932 or UTF-8 (CP_ACP means UTF-8):
// a double-byte or multi-byte character is stepped over as a whole, an invalid byte alone; a
// character cut short by the terminating NUL ends there. Other code pages step one byte. At the
// NUL, current itself.
LPCSTR CharNextExA(UINT codePage, LPCSTR current, DWORD flags);
