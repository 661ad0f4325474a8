#include "platform/registry/RegFileParser.h"

#include "platform/registry/KeyNames.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace registry {

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A quoted string at the start of text with \\ and \" escapes; text is left after it.
std::optional<std::string> TakeQuoted(std::string_view &text) {
    if (text.empty() || text.front() != '"')
        return std::nullopt;
    std::string result;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return result;
        }
        if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"'))
            ++i;
        result += text[i];
    }
    return std::nullopt;
}

std::optional<std::vector<BYTE>> ParseHexBytes(std::string_view text) {
    std::vector<BYTE> bytes;
    text = Trim(text);
    if (text.empty())
        return bytes;
    while (true) {
        const auto comma = text.find(',');
        const auto item = Trim(text.substr(0, comma));
        if (item.empty() || item.size() > 2)
            return std::nullopt;
        int value = 0;
        for (const char c : item) {
            const int digit = HexDigit(c);
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + digit;
        }
        bytes.push_back(static_cast<BYTE>(value));
        if (comma == std::string_view::npos)
            return bytes;
        text.remove_prefix(comma + 1);
        if (Trim(text).empty()) // a trailing comma
            return bytes;
    }
}

// UTF-16LE string data of a 5.00 file as the UTF-8 the stores hold.
std::optional<std::vector<BYTE>> Utf16ToUtf8(const std::vector<BYTE> &bytes) {
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = char16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    const QByteArray utf8 = QString::fromStdU16String(units).toUtf8();
    return std::vector<BYTE>(utf8.begin(), utf8.end());
}

class Parser final {
public:
    explicit Parser(const RegFileText &text) : FText(text), FLines(text.Lines()) {}

    std::optional<ParseError> Parse(std::vector<RegOperation> &operations) {
        std::size_t index = 0;
        while (index < FLines.size() && Trim(FLines[index]).empty())
            ++index;
        if (index == FLines.size())
            return ParseError{1, "empty file"};
        const auto header = Trim(FLines[index]);
        if (header == "Windows Registry Editor Version 5.00")
            FUnicode = true;
        else if (header != "REGEDIT4")
            return ParseError{int(index) + 1, "not a registry file (missing the header line)"};
        for (++index; index < FLines.size(); ++index) {
            const int line = int(index) + 1;
            std::string text(Trim(FLines[index]));
            if (text.empty() || text.front() == ';')
                continue;
            if (text.front() == '[') {
                if (auto error = ParseKey(text, line, operations))
                    return error;
                continue;
            }
            // Continuation lines of hex data end with a backslash.
            while (text.back() == '\\' && IsHexValue(text) && index + 1 < FLines.size()) {
                text.pop_back();
                text += Trim(FLines[++index]);
            }
            if (auto error = ParseValue(text, line, operations))
                return error;
        }
        return std::nullopt;
    }

private:
    static bool IsHexValue(std::string_view text) {
        if (text.front() == '@')
            text.remove_prefix(1);
        else if (!TakeQuoted(text))
            return false;
        text = Trim(text);
        return !text.empty() && text.front() == '=' && Trim(text.substr(1)).substr(0, 3) == "hex";
    }

    std::optional<ParseError> ParseKey(const std::string &text, int line,
                                       std::vector<RegOperation> &operations) {
        if (text.back() != ']')
            return ParseError{line, "key line without closing bracket"};
        std::string_view path(text);
        path = path.substr(1, path.size() - 2);
        const bool remove = !path.empty() && path.front() == '-';
        if (remove)
            path.remove_prefix(1);
        const auto rooted = ParseRootedPath(path);
        if (!rooted || rooted->root == HKEY_USERS)
            return ParseError{line, "unknown root key in [" + std::string(path) + "]"};
        // A line naming only a root key opens it; its values are the root's own.
        if (rooted->subKey.empty() && remove)
            return ParseError{line, "a root key cannot be deleted"};
        RegOperation operation;
        operation.kind = remove ? RegOperation::Kind::DeleteKey : RegOperation::Kind::CreateKey;
        operation.line = line;
        operation.root = rooted->root;
        operation.subKey = rooted->subKey;
        operations.push_back(operation);
        FCurrent = remove ? std::nullopt : std::optional<RegOperation>(operation);
        return std::nullopt;
    }

    std::optional<ParseError> ParseValue(const std::string &text, int line,
                                         std::vector<RegOperation> &operations) {
        if (!FCurrent)
            return ParseError{line, "value outside a key"};
        std::string_view rest(text);
        RegOperation operation = *FCurrent;
        operation.line = line;
        if (rest.front() == '@') {
            rest.remove_prefix(1);
        } else if (auto name = TakeQuoted(rest)) {
            operation.name = *name;
        } else {
            return ParseError{line, "value name must be @ or a quoted string"};
        }
        rest = Trim(rest);
        if (rest.empty() || rest.front() != '=')
            return ParseError{line, "missing '=' after the value name"};
        rest = Trim(rest.substr(1));
        if (auto error = ParseData(rest, line, operation))
            return error;
        operations.push_back(std::move(operation));
        return std::nullopt;
    }

    std::optional<ParseError> ParseData(std::string_view data, int line, RegOperation &operation) {
        operation.kind = RegOperation::Kind::SetValue;
        if (data == "-") {
            operation.kind = RegOperation::Kind::DeleteValue;
            return std::nullopt;
        }
        if (!data.empty() && data.front() == '"') {
            auto text = TakeQuoted(data);
            if (!text || !Trim(data).empty())
                return ParseError{line, "malformed string data"};
            operation.type = REG_SZ;
            operation.data.assign(text->begin(), text->end());
            operation.data.push_back(0);
            return std::nullopt;
        }
        if (data.substr(0, 6) == "dword:") {
            const auto digits = Trim(data.substr(6));
            if (digits.empty() || digits.size() > 8)
                return ParseError{line, "dword data needs 1 to 8 hex digits"};
            std::uint32_t value = 0;
            for (const char c : digits) {
                const int digit = HexDigit(c);
                if (digit < 0)
                    return ParseError{line, "dword data needs 1 to 8 hex digits"};
                value = value * 16 + std::uint32_t(digit);
            }
            operation.type = REG_DWORD;
            for (int i = 0; i < 4; ++i)
                operation.data.push_back(BYTE(value >> (8 * i)));
            return std::nullopt;
        }
        if (data.substr(0, 3) != "hex")
            return ParseError{line, "unknown data format"};
        data.remove_prefix(3);
        operation.type = REG_BINARY;
        if (!data.empty() && data.front() == '(') {
            const auto close = data.find(')');
            if (close == std::string_view::npos || close == 1 || close > 9)
                return ParseError{line, "malformed hex(type)"};
            DWORD type = 0;
            for (const char c : data.substr(1, close - 1)) {
                const int digit = HexDigit(c);
                if (digit < 0)
                    return ParseError{line, "malformed hex(type)"};
                type = type * 16 + DWORD(digit);
            }
            operation.type = type;
            data.remove_prefix(close + 1);
        }
        if (data.empty() || data.front() != ':')
            return ParseError{line, "missing ':' after hex"};
        auto bytes = ParseHexBytes(data.substr(1));
        if (!bytes)
            return ParseError{line, "malformed hex bytes"};
        const bool isString = operation.type == REG_SZ || operation.type == REG_EXPAND_SZ ||
                              operation.type == REG_MULTI_SZ;
        if (isString && FUnicode) {
            bytes = Utf16ToUtf8(*bytes);
            if (!bytes)
                return ParseError{line, "string data of odd length"};
        } else if (isString) {
            bytes = FText.AnsiToUtf8(*bytes);
            if (!bytes)
                return ParseError{line, "string data is neither UTF-8 nor Shift_JIS"};
        }
        if ((operation.type == REG_DWORD && bytes->size() != 4) ||
            (operation.type == REG_QWORD && bytes->size() != 8))
            return ParseError{line, "wrong number of bytes for the type"};
        operation.data = std::move(*bytes);
        return std::nullopt;
    }

    const RegFileText &FText;
    const std::vector<std::string> &FLines;
    bool FUnicode = false;
    std::optional<RegOperation> FCurrent;
};

} // namespace

std::optional<ParseError> ParseRegText(std::string_view bytes,
                                       std::vector<RegOperation> &operations) {
    RegFileText text;
    if (auto failure = text.Decode(bytes))
        return failure;
    return Parser(text).Parse(operations);
}

} // namespace registry
