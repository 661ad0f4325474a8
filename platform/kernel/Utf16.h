#pragma once
// Conversions between UTF-8 (the ANSI code page here) and the UTF-16 of resource data.

#include <string>
#include <string_view>

namespace platform {

// Invalid sequences and lone surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// Decodes the UTF-8 sequence at text[i] (i < size) and advances i past it; an invalid or
// truncated sequence yields U+FFFD and advances by one byte.
char32_t DecodeUtf8(std::string_view text, size_t &i);

} // namespace platform
