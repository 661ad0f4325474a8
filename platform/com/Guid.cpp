#include "platform/com/Guid.h"

#include <cstdio>

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads `digits` hex digits at `pos`; nullopt when any of them is not a hex digit.
std::optional<std::uint32_t> ReadHex(std::string_view text, std::size_t pos, std::size_t digits) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int v = HexValue(text[pos + i]);
        if (v < 0)
            return std::nullopt;
        value = (value << 4) | static_cast<std::uint32_t>(v);
    }
    return value;
}

} // namespace

std::optional<GUID> ParseGuid(std::string_view text) {
    constexpr std::size_t kBareLength = 36; // 8-4-4-4-12 with four hyphens
    if (text.size() == kBareLength + 2) {
        if (text.front() != '{' || text.back() != '}')
            return std::nullopt;
        text = text.substr(1, kBareLength);
    }
    if (text.size() != kBareLength)
        return std::nullopt;
    for (std::size_t hyphen : {8u, 13u, 18u, 23u}) {
        if (text[hyphen] != '-')
            return std::nullopt;
    }

    GUID guid;
    const auto d1 = ReadHex(text, 0, 8);
    const auto d2 = ReadHex(text, 9, 4);
    const auto d3 = ReadHex(text, 14, 4);
    if (!d1 || !d2 || !d3)
        return std::nullopt;
    guid.Data1 = *d1;
    guid.Data2 = static_cast<WORD>(*d2);
    guid.Data3 = static_cast<WORD>(*d3);
    // Data4: two bytes before the fourth hyphen, six after it.
    constexpr std::size_t kByteOffsets[8] = {19, 21, 24, 26, 28, 30, 32, 34};
    for (std::size_t i = 0; i < 8; ++i) {
        const auto byte = ReadHex(text, kByteOffsets[i], 2);
        if (!byte)
            return std::nullopt;
        guid.Data4[i] = static_cast<BYTE>(*byte);
    }
    return guid;
}

std::string FormatGuid(const GUID &guid) {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(guid.Data1), static_cast<unsigned>(guid.Data2),
                  static_cast<unsigned>(guid.Data3), guid.Data4[0], guid.Data4[1], guid.Data4[2],
                  guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}
