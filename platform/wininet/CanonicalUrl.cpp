#include "platform/wininet/CanonicalUrl.h"

#include "platform/wininet/WinInet.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <strings.h>
#include <vector>

namespace platform::wininet {
namespace {

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsSlash(char c) {
    return c == '/' || c == '\\';
}

int HexValue(char c) {
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// TAB, CR and LF go wherever they are; spaces and control characters at either end go too. The
// ends are trimmed first, which gives the same text since TAB, CR and LF are blanks themselves.
std::string CleanInput(std::string_view url) {
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!url.empty() && isBlank(url.back()))
        url.remove_suffix(1);
    while (!url.empty() && isBlank(url.front()))
        url.remove_prefix(1);
    const auto isDropped = [](char c) { return c == '\t' || c == '\r' || c == '\n'; };
    if (std::none_of(url.begin(), url.end(), isDropped))
        return std::string(url);
    std::string text;
    text.reserve(url.size());
    std::copy_if(url.begin(), url.end(), std::back_inserter(text),
                 [&](char c) { return !isDropped(c); });
    return text;
}

// Length of the scheme before its ':', or 0 when the text does not begin with one.
std::size_t SchemeLength(std::string_view text) {
    if (text.empty() || !IsAlpha(text[0]))
        return 0;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':')
            return i;
        if (!IsAlpha(c) && !IsDigit(c) && c != '+' && c != '-' && c != '.')
            return 0;
    }
    return 0;
}

// %XX becomes its byte, in one pass and in place; %00 and malformed escapes stay as written.
void Decode(std::string &text) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            const int hi = HexValue(text[i + 1]);
            const int lo = HexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0 && (hi | lo) != 0) {
                c = static_cast<char>(hi * 16 + lo);
                i += 2;
            }
        }
        text[kept++] = c;
    }
    text.resize(kept);
}

constexpr std::array<bool, 256> UnsafeCharacters() {
    std::array<bool, 256> unsafe{};
    for (std::size_t c = 0; c < unsafe.size(); ++c)
        unsafe[c] = c <= 0x20 || c >= 0x7F;
    for (const char c : std::string_view("<>\"{}|\\^[]`"))
        unsafe[static_cast<unsigned char>(c)] = true;
    return unsafe;
}

bool IsUnsafe(unsigned char c) {
    static constexpr std::array<bool, 256> Unsafe = UnsafeCharacters();
    return Unsafe[c];
}

void AppendEncoded(std::string &out, std::string_view text, DWORD flags) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    if (flags & ICU_NO_ENCODE) {
        out += text;
        return;
    }
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        bool encode = false;
        if (flags & ICU_ENCODE_SPACES_ONLY)
            encode = c == ' ';
        else if (c == '%')
            encode = (flags & ICU_ENCODE_PERCENT) != 0;
        else
            encode = IsUnsafe(c);
        if (encode) {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0xF]);
        } else {
            out.push_back(ch);
        }
    }
}

// Removes "." and ".." segments of a '/'-separated path. A ".." that would climb above the
// start of the path stays, as does an empty segment.
std::string RemoveDotSegments(std::string_view path) {
    std::vector<std::string_view> segments;
    const std::size_t length = path.size();
    const bool absolute = !path.empty() && path.front() == '/';
    if (absolute)
        path.remove_prefix(1);
    std::size_t kept = 0; // leading segments that are ".." kept above the root
    bool trailingSlash = false;
    while (true) {
        const std::size_t slash = path.find('/');
        const std::string_view segment = path.substr(0, slash);
        const bool last = slash == std::string_view::npos;
        trailingSlash = false;
        if (segment == ".") {
            trailingSlash = true;
        } else if (segment == "..") {
            if (segments.size() > kept) {
                segments.pop_back();
                trailingSlash = true;
            } else {
                segments.push_back(segment);
                ++kept;
            }
        } else {
            segments.push_back(segment);
        }
        if (last)
            break;
        path.remove_prefix(slash + 1);
    }
    if (trailingSlash)
        segments.emplace_back();

    std::string out;
    out.reserve(length + 1);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (i > 0 || absolute)
            out.push_back('/');
        out.append(segments[i]);
    }
    if (absolute && out.empty())
        out.push_back('/');
    return out;
}

// Whether a segment of a '/'-separated path is "." or "..": without one, removing the dot
// segments gives the path as it is.
bool HasDotSegment(std::string_view path) {
    for (std::size_t start = 0;;) {
        const std::size_t slash = path.find('/', start);
        const std::string_view segment = path.substr(start, slash - start);
        if (segment == "." || segment == "..")
            return true;
        if (slash == std::string_view::npos)
            return false;
        start = slash + 1;
    }
}

// Appends the path part of a hierarchical URL: dot segments removed, unsafe characters encoded.
void AppendCanonicalPath(std::string &out, std::string_view path, DWORD flags) {
    if ((flags & ICU_NO_META) || !HasDotSegment(path))
        AppendEncoded(out, path, flags);
    else
        AppendEncoded(out, RemoveDotSegments(path), flags);
}

bool UsesBackslashAsSlash(std::string_view scheme) {
    for (std::string_view known : {"http", "https", "ftp", "gopher"}) {
        if (scheme == known)
            return true;
    }
    return false;
}

// "file:" URLs: a drive path gives "file://C:\dir\file", an absolute Linux path
// "file:///dir/file", a path on another host "file://host/dir/file".
CanonicalUrl CanonicalFileUrl(std::string_view body, std::string_view suffix, DWORD flags) {
    std::size_t skip = 0;
    while (skip < body.size() && IsSlash(body[skip]))
        ++skip;
    const std::string_view afterSlashes = body.substr(skip);
    const bool drive = afterSlashes.size() >= 2 && IsAlpha(afterSlashes[0]) &&
                       (afterSlashes[1] == ':' || afterSlashes[1] == '|') &&
                       (afterSlashes.size() == 2 || IsSlash(afterSlashes[2]));
    std::string out = "file://";
    out.reserve(body.size() + body.size() / 8 + suffix.size() + 8);
    if (drive) {
        std::string path(afterSlashes.substr(2));
        for (char &c : path) {
            if (c == '\\')
                c = '/';
        }
        if (path.empty())
            path = "/";
        std::string canonical;
        AppendCanonicalPath(canonical, path, flags);
        for (char &c : canonical) {
            if (c == '/')
                c = '\\';
        }
        out.push_back(afterSlashes[0]);
        out.push_back(':');
        out += canonical;
        out += suffix;
        return {out};
    }

    std::size_t slashes = 0;
    while (slashes < body.size() && body[slashes] == '/')
        ++slashes;
    if (slashes == 0)
        return {{}, ERROR_BAD_PATHNAME};
    std::string_view path = body.substr(slashes - 1); // keeps one leading '/'
    if (slashes == 2) {
        const std::size_t end = body.find('/', 2);
        const std::string_view host = body.substr(2, end == std::string_view::npos ? end : end - 2);
        if (host.empty())
            return {{}, ERROR_BAD_PATHNAME};
        path = end == std::string_view::npos ? std::string_view("/") : body.substr(end);
        if (!EqualsIgnoringCase(host, "localhost"))
            out += host;
    }
    AppendCanonicalPath(out, path, flags);
    out += suffix;
    return {out};
}

} // namespace

CanonicalUrl CanonicalizeUrl(std::string_view url, DWORD flags) {
    const std::string text = CleanInput(url);
    const std::size_t schemeLength = SchemeLength(text);
    if (schemeLength == 0)
        return {{}, ERROR_INTERNET_INVALID_URL};
    std::string scheme = text.substr(0, schemeLength);
    for (char &c : scheme) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    std::string_view rest = std::string_view(text).substr(schemeLength + 1);

    // A drive letter with a path ("C:\dir\file") is a local file.
    const bool drivePath = schemeLength == 1 && !rest.empty() && IsSlash(rest[0]);
    const bool file = drivePath || scheme == "file";
    const bool hierarchical = file || UsesBackslashAsSlash(scheme) || rest.starts_with("//");
    if (!hierarchical)
        return {scheme + ':' + std::string(rest)};

    // Browser mode: query and fragment stay exactly as given.
    // (find_first_of would call memchr on the set once for every character)
    const auto suffixAt =
        std::find_if(rest.begin(), rest.end(), [](char c) { return c == '?' || c == '#'; });
    const std::size_t suffixStart =
        suffixAt == rest.end() ? std::string_view::npos : std::size_t(suffixAt - rest.begin());
    const std::string_view suffix =
        suffixStart == std::string_view::npos ? std::string_view() : rest.substr(suffixStart);
    std::string body(rest.substr(0, suffixStart));
    if ((flags & ICU_DECODE) && body.find('%') != std::string::npos)
        Decode(body);

    if (drivePath)
        return CanonicalFileUrl(std::string(1, text[0]) + ':' + body, suffix, flags);
    if (file)
        return CanonicalFileUrl(body, suffix, flags);

    if (UsesBackslashAsSlash(scheme)) {
        for (char &c : body) {
            if (c == '\\')
                c = '/';
        }
    }
    std::string out;
    out.reserve(text.size() + text.size() / 8 + 2);
    out += scheme;
    out += ':';
    std::string_view path = body;
    if (path.starts_with("//")) {
        const std::size_t end = path.find('/', 2);
        out += path.substr(0, end);
        path = end == std::string_view::npos ? std::string_view("/") : path.substr(end);
    }
    AppendCanonicalPath(out, path, flags);
    out += suffix;
    return {out};
}

} // namespace platform::wininet
