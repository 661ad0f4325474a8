#pragma once
// What a document may load of the user's local files. To the engine every file: document is of
// one origin (a local page could not load its own pictures otherwise), so whatever a page loads
// from a local file its scripts can read. Each request for a local file is therefore judged by
// the site of the document on screen:
// - a local document whose security identifier names a host (a saved page whose zone comes
//   from its Internet address) has the files of that identifier, its host's directory: they
//   load as its zone allows, and no other local file loads at all;
// - any other local document has its own folder and what lies below it; from other folders it
//   may only show pictures, style sheets, scripts, fonts and media, never take a file's content
//   whole (XHR, fetch, frames, objects);
// - a document that is not a local file has no local site: no local file loads for it.
// Top-level navigations are not judged here: they bring a document with a site of its own.

#include "platform/engine/ContentRules.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace engine {

struct LocalSite {
    QByteArray securityId; // a named site: the identifier its files share
    QString folder;        // a local document without a named site: its folder, ending in '/'

    bool IsLocal() const { return !securityId.isEmpty() || !folder.isEmpty(); }
    friend bool operator==(const LocalSite &, const LocalSite &) = default;
};

// A local file asked for and its security identifier (empty when none could be had).
struct LocalFile {
    QUrl url;
    QByteArray securityId;
};

// True for file: URLs.
bool IsLocalFile(const QUrl &url);

// The site of the document at url, whose security identifier is securityId (the zone as its last
// four bytes; empty when none could be had).
LocalSite LocalSiteOf(const QUrl &url, const QByteArray &securityId);

// Whether a document of site may load file for a request of kind.
bool AdmitsLocalFile(const LocalSite &site, const LocalFile &file, RequestKind kind);

} // namespace engine
