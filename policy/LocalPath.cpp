#include "policy/LocalPath.h"

#include "platform/wininet/WinInet.h"

#include "platform/kernel/CodePage.h"

#include <string_view>
#include <vector>

namespace localpath {

namespace {

// Offsets of the characters of text, stepping over double-byte characters as a whole. In UTF-8
// no byte of a multi-byte character is an ASCII byte, so bytes can be taken one by one.
template <typename F> void ForEachChar(const std::string &text, UINT codePage, F &&f) {
    if (codePage == CP_UTF8) {
        for (size_t at = 0; at < text.size(); ++at)
            f(at, size_t(1));
        return;
    }
    const char *begin = text.c_str();
    const char *end = begin + text.size();
    for (const char *p = begin; p < end;) {
        const char *next = CharNextExA(codePage, p, 0);
        if (next <= p || next > end)
            next = p + 1; // embedded NUL or a character cut short by the end
        f(size_t(p - begin), size_t(next - p));
        p = next;
    }
}

} // namespace

std::string ReplaceSeparator(const std::string &text, char from, char to, UINT codePage) {
    std::string out = text;
    ForEachChar(text, codePage, [&](size_t at, size_t len) {
        if (len == 1 && out[at] == from)
            out[at] = to;
    });
    return out;
}

std::string RemoveDotSegments(const std::string &path, const LocalPathStyle &style,
                              bool slashIsSeparator) {
    const std::string_view text(path);
    std::vector<std::string_view> segments;
    size_t start = 0;
    ForEachChar(path, style.codePage, [&](size_t at, size_t len) {
        const char c = path[at];
        if (len == 1 && (c == style.separator || (slashIsSeparator && c == '/'))) {
            segments.push_back(text.substr(start, at - start));
            start = at + 1;
        }
    });
    segments.push_back(text.substr(start));

    // segments[0] is the root part ("" for "/x", "C:" for "C:\x"); the last one is the name
    // after the final separator ("" when the path ends with one).
    std::vector<std::string_view> kept{segments.front()};
    bool trailing = false;
    for (size_t i = 1; i < segments.size(); ++i) {
        const std::string_view s = segments[i];
        const bool last = i + 1 == segments.size();
        if (s == ".") {
            trailing = last;
        } else if (s == "..") {
            if (kept.size() > 1)
                kept.pop_back();
            trailing = last;
        } else if (s.empty() && !last && i > 1) {
            continue; // doubled separator inside the path
        } else {
            kept.push_back(s);
            trailing = false;
        }
    }
    std::string out;
    out.reserve(path.size() + 1);
    out.append(kept.front());
    for (size_t i = 1; i < kept.size(); ++i) {
        out += style.separator;
        out.append(kept[i]);
    }
    if (trailing || (kept.size() == 1 && segments.size() > 1))
        out += style.separator;
    return out;
}

bool EqualsIgnoringAsciiCase(const std::string &a, const std::string &b) {
    if (a.size() != b.size())
        return false;
    const auto fold = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : int(c); };
    for (size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

std::optional<std::string> Canonicalize(const std::string &url, DWORD flags) {
    std::string buffer(260, '\0');
    DWORD length = DWORD(buffer.size());
    if (InternetCanonicalizeUrlA(url.c_str(), buffer.data(), &length, flags)) {
        buffer.resize(length);
        return buffer;
    }
    if (length == 0 || length <= buffer.size())
        return std::nullopt; // failed for another reason than the buffer size
    buffer.assign(length, '\0');
    if (InternetCanonicalizeUrlA(url.c_str(), buffer.data(), &length, flags)) {
        buffer.resize(length);
        return buffer;
    }
    return std::nullopt;
}

} // namespace localpath
