#pragma once
// The text of a .reg file as UTF-8 lines. A byte-order mark says UTF-16LE or UTF-8; without one
// the text is ANSI of the machine that wrote it: UTF-8 when the whole file is valid UTF-8, else
// Shift_JIS (code page 932). A line that its encoding cannot decode refuses the file.

#include "platform/kernel/Win32.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace registry {

struct ParseError {
    int line = 0;
    std::string message;
};

class RegFileText final {
public:
    std::optional<ParseError> Decode(std::string_view bytes);
    const std::vector<std::string> &Lines() const { return FLines; }

    // ANSI string data (REGEDIT4 hex strings) as UTF-8: Shift_JIS in a Shift_JIS file, else
    // kept when it is valid UTF-8 and read as Shift_JIS otherwise; nullopt when it does not
    // decode.
    std::optional<std::vector<BYTE>> AnsiToUtf8(const std::vector<BYTE> &bytes) const;

private:
    template <typename Encoding>
    std::optional<ParseError> DecodeLines(std::string_view bytes, Encoding encoding,
                                          std::size_t unit, const char *failure);

    std::vector<std::string> FLines;
    bool FShiftJis = false;
};

} // namespace registry
