#include "policy/UrlMapping.h"

#include "policy/LocalPath.h"

#include <optional>

namespace {

constexpr DWORD kFileForm = 0x30000000; // decode escapes, do not encode
constexpr DWORD kHttpForm = 0;

bool HasFileScheme(const std::string &text, bool ignoreCase) {
    const std::string head = text.substr(0, 7);
    return ignoreCase ? localpath::EqualsIgnoringAsciiCase(head, "file://") : head == "file://";
}

// The local path a file: URL names after decoding: what follows "file://" or "file:///" (drive
// style), or the absolute path after "file://" (POSIX style); empty when the URL names a host.
std::string PathOfFileUrl(const std::string &url, const LocalPathStyle &style) {
    const std::string t = localpath::Canonicalize(url, kFileForm).value_or(url);
    std::string path;
    if (style.driveLetters)
        path = t.substr(t.size() > 7 && t[7] == '/' ? 8 : 7);
    else if (t.size() > 7 && t[7] == '/')
        path = t.substr(7);
    else
        return {};
    return path;
}

// The path that text names, with dot segments resolved so that "dir/host/../../x" is not taken
// for something under dir. A file: URL is decoded first; slashIsSeparator says whether "/"
// separates names in a drive-style path.
std::optional<std::string> LocalPathOf(const std::string &text, const LocalPathStyle &style,
                                       bool fileUrl, bool slashIsSeparator) {
    std::string path = fileUrl ? PathOfFileUrl(text, style) : text;
    if (path.empty())
        return std::nullopt;
    return localpath::RemoveDotSegments(path, style, fileUrl || slashIsSeparator);
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
    const auto path = LocalPathOf(text, style, fileUrl, false);
    return path && StartsWithDirectory(*path, dir, style);
}

std::string LocalToInternetUrl(const std::string &text, const std::string &dir,
                               const LocalPathStyle &style) {
    if (dir.empty())
        return text;
    const bool fileUrl = HasFileScheme(text, false);
    const auto path = LocalPathOf(text, style, fileUrl, true);
    if (!path || !StartsWithDirectory(*path, dir, style))
        return text;

    std::string remainder = path->substr(dir.size());
    if (style.separator != '/')
        remainder = localpath::ReplaceSeparator(remainder, style.separator, '/', style.codePage);
    const std::string built = "http://" + remainder;
    return localpath::Canonicalize(built, kHttpForm).value_or(built);
}
