#include "platform/cli/RegValueText.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace cli {

namespace {

struct TypeEntry {
    DWORD type;
    const char *name;
};

constexpr std::array<TypeEntry, 7> Types{{
    {REG_SZ, "REG_SZ"},
    {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
    {REG_MULTI_SZ, "REG_MULTI_SZ"},
    {REG_DWORD, "REG_DWORD"},
    {REG_QWORD, "REG_QWORD"},
    {REG_BINARY, "REG_BINARY"},
    {REG_NONE, "REG_NONE"},
}};

std::string Upper(std::string text) {
    for (char &c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::optional<unsigned long long> ParseNumber(const std::string &text, unsigned long long max) {
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text.front())))
        return std::nullopt;
    errno = 0;
    char *end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value > max)
        return std::nullopt;
    return value;
}

std::vector<BYTE> LittleEndian(unsigned long long value, int size) {
    std::vector<BYTE> bytes;
    for (int i = 0; i < size; ++i)
        bytes.push_back(BYTE(value >> (8 * i)));
    return bytes;
}

} // namespace

std::optional<DWORD> ParseTypeName(const std::string &name) {
    const std::string upper = Upper(name);
    for (const auto &entry : Types)
        if (upper == entry.name)
            return entry.type;
    return std::nullopt;
}

std::string TypeName(DWORD type) {
    for (const auto &entry : Types)
        if (entry.type == type)
            return entry.name;
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", unsigned(type));
    return text;
}

std::optional<std::vector<BYTE>> ParseData(DWORD type, const std::string &text,
                                           const std::string &separator) {
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return std::vector<BYTE>(text.c_str(), text.c_str() + text.size() + 1); // with the NUL
    case REG_MULTI_SZ: {
        std::vector<BYTE> bytes;
        std::size_t start = 0;
        while (!text.empty()) {
            const auto end = text.find(separator, start);
            const std::string item = text.substr(start, end - start);
            if (item.empty())
                return std::nullopt; // an empty string would end the list early
            bytes.insert(bytes.end(), item.begin(), item.end());
            bytes.push_back(0);
            if (end == std::string::npos)
                break;
            start = end + separator.size();
        }
        bytes.push_back(0);
        return bytes;
    }
    case REG_DWORD:
        if (const auto value = ParseNumber(text.empty() ? "0" : text, 0xFFFFFFFFull))
            return LittleEndian(*value, 4);
        return std::nullopt;
    case REG_QWORD:
        if (const auto value = ParseNumber(text.empty() ? "0" : text, ~0ull))
            return LittleEndian(*value, 8);
        return std::nullopt;
    default: {
        if (text.size() % 2 != 0)
            return std::nullopt;
        std::vector<BYTE> bytes;
        for (std::size_t i = 0; i < text.size(); i += 2) {
            if (!std::isxdigit(static_cast<unsigned char>(text[i])) ||
                !std::isxdigit(static_cast<unsigned char>(text[i + 1])))
                return std::nullopt;
            bytes.push_back(BYTE(std::strtoul(text.substr(i, 2).c_str(), nullptr, 16)));
        }
        return bytes;
    }
    }
}

std::string FormatData(DWORD type, const std::vector<BYTE> &data) {
    const auto *chars = reinterpret_cast<const char *>(data.data());
    char number[32];
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return std::string(chars, strnlen(chars, data.size()));
    case REG_MULTI_SZ: {
        std::string joined;
        for (std::size_t start = 0; start < data.size();) {
            const std::size_t length = strnlen(chars + start, data.size() - start);
            if (length == 0)
                break;
            joined += (joined.empty() ? "" : "\\0") + std::string(chars + start, length);
            start += length + 1;
        }
        return joined;
    }
    case REG_DWORD:
    case REG_QWORD:
        if (data.size() == (type == REG_DWORD ? 4u : 8u)) {
            unsigned long long value = 0;
            for (std::size_t i = data.size(); i-- > 0;)
                value = value << 8 | data[i];
            std::snprintf(number, sizeof number, "0x%llx", value);
            return number;
        }
        [[fallthrough]];
    default: {
        std::string hex;
        for (const BYTE byte : data) {
            std::snprintf(number, sizeof number, "%02X", byte);
            hex += number;
        }
        return hex;
    }
    }
}

} // namespace cli
