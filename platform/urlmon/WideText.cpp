#include "platform/urlmon/WideText.h"

#include <QString>

#include <algorithm>
#include <cstdlib>
#include <cstring>

void *CoTaskMemAlloc(std::size_t size) {
    return std::malloc(size ? size : 1);
}

void CoTaskMemFree(void *memory) {
    std::free(memory);
}

namespace urlmon {

// ASCII text, as URLs nearly always are, is copied unit by unit; the rest goes through QString,
// which also gives unpaired surrogates and bad UTF-8 their replacements.
std::string ToUtf8(LPCWSTR text) {
    if (!text)
        return {};
    const std::u16string_view wide(text);
    if (std::all_of(wide.begin(), wide.end(), [](char16_t c) { return c < 0x80; }))
        return std::string(wide.begin(), wide.end());
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size())).toStdString();
}

std::u16string ToUtf16(std::string_view text) {
    if (std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; }))
        return std::u16string(text.begin(), text.end());
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdU16String();
}

LPOLESTR CoTaskMemString(std::u16string_view text) {
    auto *copy = static_cast<LPOLESTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(OLECHAR)));
    if (!copy)
        return nullptr;
    std::memcpy(copy, text.data(), text.size() * sizeof(OLECHAR));
    copy[text.size()] = u'\0';
    return copy;
}

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return out;
}

} // namespace urlmon
