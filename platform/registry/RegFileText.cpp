#include "platform/registry/RegFileText.h"

#include <QString>
#include <QStringDecoder>

namespace registry {

namespace {

constexpr const char *ShiftJis = "Shift_JIS"; // with the code page 932 extensions

bool IsUtf8(std::string_view bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    (void)QString(decoder.decode(QByteArrayView(bytes)));
    return !decoder.hasError();
}

} // namespace

std::optional<ParseError> RegFileText::Decode(std::string_view bytes) {
    FLines.clear();
    FShiftJis = false;
    if (bytes.starts_with("\xFF\xFE"))
        return DecodeLines(bytes.substr(2), QStringConverter::Utf16LE, 2,
                           "not valid UTF-16LE text");
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return DecodeLines(bytes.substr(3), QStringConverter::Utf8, 1, "not valid UTF-8 text");
    if (IsUtf8(bytes))
        return DecodeLines(bytes, QStringConverter::Utf8, 1, "not valid UTF-8 text");
    FShiftJis = true;
    return DecodeLines(bytes, ShiftJis, 1, "neither UTF-8 nor Shift_JIS text");
}

std::optional<std::vector<BYTE>> RegFileText::AnsiToUtf8(const std::vector<BYTE> &bytes) const {
    const std::string_view text(reinterpret_cast<const char *>(bytes.data()), bytes.size());
    if (!FShiftJis && IsUtf8(text))
        return bytes;
    QStringDecoder decoder(ShiftJis, QStringConverter::Flag::Stateless);
    const QByteArray utf8 = QString(decoder.decode(QByteArrayView(text))).toUtf8();
    if (decoder.hasError())
        return std::nullopt;
    return std::vector<BYTE>(utf8.begin(), utf8.end());
}

// Lines end at LF (one code unit of unit bytes); a CR before it goes too.
template <typename Encoding>
std::optional<ParseError> RegFileText::DecodeLines(std::string_view bytes, Encoding encoding,
                                                   std::size_t unit, const char *failure) {
    std::size_t start = 0;
    while (start <= bytes.size()) {
        std::size_t end = start;
        while (end + unit <= bytes.size() &&
               !(bytes[end] == '\n' && (unit == 1 || bytes[end + 1] == '\0')))
            end += unit;
        if (end + unit > bytes.size())
            end = bytes.size();
        // A last line cut within a code unit does not decode either (the stateless decoder
        // drops or replaces the part without saying so).
        const bool whole = (end - start) % unit == 0;
        QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
        QString line = decoder.decode(QByteArrayView(bytes.substr(start, end - start)));
        if (!whole || decoder.hasError() || !QStringView(line).isValidUtf16())
            return ParseError{int(FLines.size()) + 1, failure};
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        FLines.push_back(line.toStdString());
        start = end + unit;
    }
    return std::nullopt;
}

} // namespace registry
