#include "policy/UrlMapping.h"

#include "platform/wininet/WinInet.h"
#include "policy/LocalPath.h"

#include <optional>

namespace {

constexpr DWORD kFileForm = ICU_DECODE | ICU_NO_ENCODE; // escapes decoded, nothing encoded
constexpr DWORD kHttpForm = 0;                          // unsafe characters encoded

bool HasFileScheme(const std::string &text, bool ignoreCase) {
    const std::string head = text.substr(0, 7);
    return ignoreCase ? localpath::EqualsIgnoringAsciiCase(head, "file://") : head == "file://";
}

// A text as its path and its query and fragment: the suffix starts at the first "?" or "#" as
// given, before anything is decoded, and takes no part in finding the directory or the host.
struct PathAndSuffix {
    std::string path;
    std::string suffix;
};

PathAndSuffix SplitSuffix(const std::string &text) {
    const std::size_t at = text.find_first_of("?#");
    if (at == std::string::npos)
        return {text, {}};
    return {text.substr(0, at), text.substr(at)};
}

// The local path a file: URL names after decoding: what follows "file://" or "file:///" (drive
// style), or the absolute path after "file://" (POSIX style); empty when the URL names a host.
// Backslashes separate names, as the engine reads a file: URL.
std::string PathOfFileUrl(const std::string &url, const LocalPathStyle &style) {
    const std::string slashed = localpath::ReplaceSeparator(url, '\\', '/', style.codePage);
    const std::string t = localpath::Canonicalize(slashed, kFileForm).value_or(slashed);
    std::string path;
    if (style.driveLetters)
        path = t.substr(t.size() > 7 && t[7] == '/' ? 8 : 7);
    else if (t.size() > 7 && t[7] == '/')
        path = t.substr(7);
    else
        return {};
    return path;
}

// The path that a text's path part names, with dot segments resolved so that "dir/host/../../x"
// is not taken for something under dir. A file: URL is decoded first; slashIsSeparator says
// whether "/" separates names in a drive-style path.
std::optional<std::string> LocalPathOf(const std::string &path, const LocalPathStyle &style,
                                       bool fileUrl, bool slashIsSeparator) {
    const std::string local = fileUrl ? PathOfFileUrl(path, style) : path;
    if (local.empty())
        return std::nullopt;
    return localpath::RemoveDotSegments(local, style, fileUrl || slashIsSeparator);
}

// A "?" or "#" that decoding put into a name stays part of the http URL's path.
std::string EscapeSuffixMarks(const std::string &path) {
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        if (c == '?')
            out += "%3F";
        else if (c == '#')
            out += "%23";
        else
            out += c;
    }
    return out;
}

bool StartsWithDirectory(const std::string &path, const std::string &dir,
                         const LocalPathStyle &style) {
    const std::string head = path.substr(0, dir.size());
    return style.foldCase ? localpath::EqualsIgnoringAsciiCase(head, dir) : head == dir;
}

} // namespace

bool IsLocalFileReference(const std::string &text, const LocalPathStyle &style) {
    if (text.empty())
        return false;
    if (style.driveLetters) {
        if (text.size() == 1 || text[1] == ':')
            return true;
    } else if (text.front() == '/') {
        return true;
    }
    return HasFileScheme(text, true);
}

bool IsInLocalWebDirectory(const std::string &text, const std::string &dir,
                           const LocalPathStyle &style) {
    if (dir.empty())
        return false;
    const bool fileUrl = HasFileScheme(text, true);
    const auto path = LocalPathOf(SplitSuffix(text).path, style, fileUrl, false);
    return path && StartsWithDirectory(*path, dir, style);
}

std::string LocalToInternetUrl(const std::string &text, const std::string &dir,
                               const LocalPathStyle &style) {
    if (dir.empty())
        return text;
    const bool fileUrl = HasFileScheme(text, false);
    const PathAndSuffix parts = SplitSuffix(text);
    const auto path = LocalPathOf(parts.path, style, fileUrl, true);
    if (!path || !StartsWithDirectory(*path, dir, style))
        return text;

    std::string remainder = EscapeSuffixMarks(path->substr(dir.size()));
    if (style.separator != '/')
        remainder = localpath::ReplaceSeparator(remainder, style.separator, '/', style.codePage);
    const std::string built = "http://" + remainder + parts.suffix;
    return localpath::Canonicalize(built, kHttpForm).value_or(built);
}
