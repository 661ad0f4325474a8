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

std::string ToUtf8(LPCWSTR text) {
    return text ? QString::fromUtf16(text).toStdString() : std::string();
}

std::u16string ToUtf16(std::string_view text) {
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
