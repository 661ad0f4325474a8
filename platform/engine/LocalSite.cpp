#include "platform/engine/LocalSite.h"

#include <QStringView>

namespace engine {

namespace {

// Every local file that is not mapped to a host has the identifier "file:" and its zone.
bool NamesHost(const QByteArray &securityId) {
    return securityId.size() > 4 && securityId.chopped(4) != "file:";
}

// The absolute path of a file: URL without a host, decoded; empty for anything else, and for a
// path with dot segments or a NUL left in it, which could reach outside a folder it names.
QString PlainPath(const QUrl &url) {
    if (!IsLocalFile(url) || !url.host().isEmpty())
        return {};
    const QString path = url.path(QUrl::FullyDecoded);
    if (!path.startsWith(u'/') || path.contains(QChar(0)))
        return {};
    for (const QStringView segment : QStringView(path).split(u'/')) {
        if (segment == u"." || segment == u"..")
            return {};
    }
    return path;
}

// Content a page shows or runs without getting the file's bytes in hand.
bool IsShown(RequestKind kind) {
    switch (kind) {
    case RequestKind::Script:
    case RequestKind::Style:
    case RequestKind::Image:
    case RequestKind::Media:
    case RequestKind::Font:
        return true;
    default:
        return false;
    }
}

} // namespace

bool IsLocalFile(const QUrl &url) {
    return url.scheme().compare(u"file"_qs, Qt::CaseInsensitive) == 0;
}

LocalSite LocalSiteOf(const QUrl &url, const QByteArray &securityId) {
    if (!IsLocalFile(url))
        return {};
    if (NamesHost(securityId))
        return {securityId, {}};
    const QString path = PlainPath(url);
    if (path.isEmpty())
        return {};
    return {{}, path.left(path.lastIndexOf(u'/') + 1)};
}

bool AdmitsLocalFile(const LocalSite &site, const LocalFile &file, RequestKind kind) {
    if (!IsLocalFile(file.url))
        return true; // not a local file: other rules judge it
    if (!site.securityId.isEmpty())
        return file.securityId == site.securityId;
    if (!site.IsLocal())
        return false;
    // A saved host's files are its own pages' to read.
    if (NamesHost(file.securityId))
        return IsShown(kind);
    const QString path = PlainPath(file.url);
    return (!path.isEmpty() && path.startsWith(site.folder)) || IsShown(kind);
}

} // namespace engine
