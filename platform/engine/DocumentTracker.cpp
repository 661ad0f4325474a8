#include "platform/engine/DocumentTracker.h"

#include <utility>

namespace engine {

bool SameDocumentUrl(const QUrl &a, const QUrl &b) {
    return a.adjusted(QUrl::RemoveFragment) == b.adjusted(QUrl::RemoveFragment);
}

void DocumentTracker::SetPending(TrackedDocument document) {
    m_pending = std::move(document);
    m_sealed = false;
}

void DocumentTracker::Commit() {
    if (!m_pending)
        return;
    m_current = std::move(*m_pending);
    Abandon();
}

void DocumentTracker::Abandon() {
    m_pending.reset();
    m_sealed = false;
}

DocumentRules DocumentTracker::InForce() const {
    if (!m_pending)
        return m_current.rules;
    return m_sealed ? m_pending->rules : Strictest(m_current.rules, m_pending->rules);
}

bool DocumentTracker::AdmitsLocalFile(const LocalFile &file, RequestKind kind) const {
    const bool current = engine::AdmitsLocalFile(m_current.site, file, kind);
    if (!m_pending)
        return current;
    return engine::AdmitsLocalFile(m_pending->site, file, kind) &&
           (current || !m_current.site.IsLocal());
}

} // namespace engine
