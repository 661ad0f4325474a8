#pragma once
// Wide-string vocabulary of the URL-security interfaces. Strings at these interfaces are UTF-16
// (char16_t), NUL-terminated, exactly where the original interfaces take wide strings, so that
// record layouts keep their sizes (ZONEATTRIBUTES is 1460 bytes) and Qt's QString::utf16() can be
// passed as is. Byte outputs that the original writes in the ANSI code page (security ids) are
// UTF-8.

#include "platform/kernel/Win32.h"

#include <cstddef>

using WCHAR = char16_t;
using LPWSTR = WCHAR *;
using LPCWSTR = const WCHAR *;
using OLECHAR = WCHAR;
using LPOLESTR = OLECHAR *;
using LPCOLESTR = const OLECHAR *;
using DWORD_PTR = ULONG_PTR;

struct HWND__;
using HWND = HWND__ *;

// Memory handed across the interfaces (policy blobs, display names) is allocated with
// CoTaskMemAlloc and released by the receiver with CoTaskMemFree.
void *CoTaskMemAlloc(std::size_t size);
void CoTaskMemFree(void *memory);
