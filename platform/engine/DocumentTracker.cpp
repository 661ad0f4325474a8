#include "platform/engine/DocumentTracker.h"

#include <utility>

namespace engine {

bool SameDocumentUrl(const QUrl &a, const QUrl &b) {
    return a.adjusted(QUrl::RemoveFragment) == b.adjusted(QUrl::RemoveFragment);
}

void DocumentTracker::Commit() {
    if (!m_pending)
        return;
    m_previous = std::exchange(m_current, std::move(*m_pending));
    m_pending.reset();
}

DocumentRules DocumentTracker::RulesFor(const QUrl &firstParty) const {
    // A reload shares its address with the document on screen; the navigation's rules are the
    // ones its new document gets, and the old one is of the same address.
    if (m_pending && SameDocumentUrl(firstParty, m_pending->address))
        return m_pending->rules;
    const QList<TrackedDocument> documents = Documents();
    for (const TrackedDocument &document : documents) {
        if (SameDocumentUrl(firstParty, document.address))
            return document.rules;
    }
    DocumentRules rules = m_current.rules;
    for (const TrackedDocument &document : documents)
        rules = Strictest(rules, document.rules);
    return rules;
}

QList<TrackedDocument> DocumentTracker::Documents() const {
    QList<TrackedDocument> documents{m_current};
    if (m_pending)
        documents.append(*m_pending);
    if (m_previous)
        documents.append(*m_previous);
    return documents;
}

} // namespace engine
