#pragma once
// Text helpers: UTF-16 <-> UTF-8 for the wide strings of the interfaces, ASCII case folding.

#include "platform/urlmon/WideChar.h"

#include <string>
#include <string_view>

namespace urlmon {

std::string ToUtf8(LPCWSTR text); // null gives ""
std::u16string ToUtf16(std::string_view text);
// A NUL-terminated copy allocated with CoTaskMemAlloc (null when out of memory).
LPOLESTR CoTaskMemString(std::u16string_view text);
// Lower-cases ASCII letters only (scheme, host and module names).
std::string AsciiLower(std::string_view text);

} // namespace urlmon
