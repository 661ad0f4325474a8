// quillmere-platform canonicalize [--flags N] URL
// Prints InternetCanonicalizeUrlA's result, or one line naming the error (exit status 1).

#include "platform/cli/Commands.h"
#include "platform/wininet/WinInet.h"

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr const char *kHelp =
    "usage: quillmere-platform canonicalize [--flags N] URL\n"
    "\n"
    "Prints the canonical form of URL as InternetCanonicalizeUrlA gives it.\n"
    "N is decimal or 0x hexadecimal: 0 (default) encodes unsafe characters and removes\n"
    "dot segments; 0x30000000 decodes %XX without encoding again (the file form).\n"
    "Other flags: 0x20000000 no encoding, 0x10000000 decode, 0x08000000 keep dot\n"
    "segments, 0x04000000 encode spaces only, 0x00001000 encode percent signs.\n";

// Decimal or 0x-prefixed hexadecimal, the whole text, within 32 bits.
std::optional<DWORD> ParseFlags(const std::string &text) {
    if (text.empty() || text[0] == '-' || text[0] == '+')
        return std::nullopt;
    errno = 0;
    char *end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<DWORD>(value);
}

const char *ErrorName(DWORD error) {
    switch (error) {
    case ERROR_INTERNET_INVALID_URL:
        return "not a valid URL";
    case ERROR_BAD_PATHNAME:
        return "not an absolute file path";
    case ERROR_INVALID_PARAMETER:
        return "invalid parameter";
    default:
        return "canonicalisation failed";
    }
}

} // namespace

int CanonicalizeCommand(const std::vector<std::string> &args, std::ostream &out,
                        std::ostream &err) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << kHelp;
        return 0;
    }
    DWORD flags = 0;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--flags") {
            const auto parsed = i + 1 < args.size() ? ParseFlags(args[i + 1]) : std::nullopt;
            if (!parsed) {
                err << "canonicalize: --flags needs a number (decimal or 0x hexadecimal)\n";
                return 2;
            }
            flags = *parsed;
            ++i;
        } else {
            rest.push_back(args[i]);
        }
    }
    if (rest.size() != 1) {
        err << "usage: quillmere-platform canonicalize [--flags N] URL\n";
        return 2;
    }

    std::string buffer(260, '\0');
    DWORD length = static_cast<DWORD>(buffer.size());
    BOOL ok = InternetCanonicalizeUrlA(rest[0].c_str(), buffer.data(), &length, flags);
    if (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buffer.resize(length);
        ok = InternetCanonicalizeUrlA(rest[0].c_str(), buffer.data(), &length, flags);
    }
    if (!ok) {
        const DWORD error = GetLastError();
        err << "canonicalize: " << ErrorName(error) << " (error " << error << ")\n";
        return 1;
    }
    buffer.resize(length);
    out << buffer << '\n';
    return 0;
}
