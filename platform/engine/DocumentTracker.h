#pragma once
// Whose rules judge what a page does: the document on screen, and the document of the navigation
// accepted to replace it, until that navigation commits or ends. The engine does not say which
// document a request comes from (its first party names the page being loaded, not the one that
// asks), and the new document's first requests can come before its commit shows; so while a
// navigation is pending, requests are judged by the stricter of the two documents' rules, and
// by the new document's once the document on screen is sealed against what they allow beyond
// its own (DocumentSeal.h). Local files are judged by the sites of both (LocalSite.h).

#include "platform/engine/ContentRules.h"
#include "platform/engine/LocalSite.h"

#include <QUrl>

#include <optional>

namespace engine {

struct TrackedDocument {
    QUrl address; // the document's URL
    DocumentRules rules;
    LocalSite site; // of the address it came with; changing the address later keeps it
};

class DocumentTracker final {
public:
    const TrackedDocument &Current() const { return m_current; }
    const std::optional<TrackedDocument> &Pending() const { return m_pending; }

    // A top-level navigation was accepted; it replaces one that was still pending.
    void SetPending(TrackedDocument document);
    // The document on screen can no longer do what the pending rules allow beyond its own.
    void SetSealed() { m_sealed = m_pending.has_value(); }
    // The pending document is now on screen.
    void Commit();
    // The pending navigation ended without replacing the document on screen.
    void Abandon();
    // The document on screen changed its URL without being replaced (fragment, history API).
    void SetCurrentAddress(const QUrl &address) { m_current.address = address; }

    // The rules for what the page asks now (other than the pending navigation's own request).
    DocumentRules InForce() const;
    // Whether what the page asks now may load a local file: while a navigation is pending, the
    // pending document's site must admit it, and the one on screen's too when that document is
    // local (only a local document asks for local files). The pending document's site alone
    // would let the document on screen read the files of the page it is leaving for.
    bool AdmitsLocalFile(const LocalFile &file, RequestKind kind) const;

private:
    TrackedDocument m_current;
    std::optional<TrackedDocument> m_pending;
    bool m_sealed = false;
};

// True when two document URLs name the same document (the fragment does not count).
bool SameDocumentUrl(const QUrl &a, const QUrl &b);

} // namespace engine
