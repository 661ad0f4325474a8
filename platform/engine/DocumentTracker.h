#pragma once
// Whose rules judge what a page does: the document on screen, the document of the navigation
// accepted to replace it (until that navigation commits or ends), and the document before it,
// whose last requests may still arrive. The engine names a request's document by its first
// party, the URL of the top-level document it belongs to.

#include "platform/engine/ContentRules.h"

#include <QList>
#include <QUrl>

#include <optional>

namespace engine {

struct TrackedDocument {
    QUrl address; // the document's URL, as requests give their first party
    DocumentRules rules;
};

class DocumentTracker final {
public:
    const TrackedDocument &Current() const { return m_current; }
    const std::optional<TrackedDocument> &Pending() const { return m_pending; }

    // A top-level navigation was accepted; it replaces one that was still pending.
    void SetPending(TrackedDocument document) { m_pending = std::move(document); }
    // The pending document is now on screen.
    void Commit();
    // The pending navigation ended without replacing the document on screen.
    void Abandon() { m_pending.reset(); }
    // The document on screen changed its URL without being replaced (fragment, history API).
    void SetCurrentAddress(const QUrl &address) { m_current.address = address; }
    // The document on screen has loaded: nothing of the one before it is still on its way.
    void ForgetPrevious() { m_previous.reset(); }

    // The rules of firstParty's document; for a first party that is none of the documents
    // known, the strictest of them all.
    DocumentRules RulesFor(const QUrl &firstParty) const;
    // The documents whose requests may arrive now: on screen first, then pending and previous.
    QList<TrackedDocument> Documents() const;

private:
    TrackedDocument m_current;
    std::optional<TrackedDocument> m_pending;
    std::optional<TrackedDocument> m_previous;
};

// True when two document URLs name the same document (the fragment does not count).
bool SameDocumentUrl(const QUrl &a, const QUrl &b);

} // namespace engine
