#include "platform/engine/CookieFilter.h"

#include <QWebEngineCookieStore>

namespace engine {

namespace {

// The engine keeps at most a few thousand cookies; the list of what it holds stays bounded even
// where it evicts without telling.
constexpr qsizetype kMaxStoredCookies = 4000;

} // namespace

CookieFilter::CookieFilter(QWebEngineCookieStore *store) : m_store(store) {
    // The filter keeps its own reference: it may run on the network thread while the control
    // is being destroyed.
    m_store->setCookieFilter(
        [state = m_state](const QWebEngineCookieStore::FilterRequest &request) {
            const QMutexLocker lock(&state->mutex);
            const bool ownRequest = !state->pendingTarget.isEmpty() &&
                                    SameDocumentUrl(request.origin, state->pendingTarget);
            const Parties &parties = ownRequest ? state->pending : state->current;
            return request.thirdParty ? parties.thirdParty : parties.firstParty;
        });
    m_added = QObject::connect(m_store, &QWebEngineCookieStore::cookieAdded, m_store,
                               [this](const QNetworkCookie &cookie) { Added(cookie); });
    m_removed = QObject::connect(
        m_store, &QWebEngineCookieStore::cookieRemoved, m_store,
        [this](const QNetworkCookie &cookie) {
            m_jar.removeIf([&](const QNetworkCookie &c) { return c.hasSameIdentifier(cookie); });
        });
}

CookieFilter::~CookieFilter() {
    QObject::disconnect(m_added);
    QObject::disconnect(m_removed);
    m_store->setCookieFilter(nullptr);
}

CookieFilter::Parties CookieFilter::PartiesOf(const DocumentRules &rules) {
    return {rules.cookies || rules.sessionCookies,
            rules.thirdPartyCookies || rules.thirdPartySessionCookies};
}

void CookieFilter::Apply(const TrackedDocument &current,
                         const std::optional<TrackedDocument> &pending, const QUrl &pendingTarget) {
    m_current = current;
    m_pending = pending;
    const QMutexLocker lock(&m_state->mutex);
    m_state->current = PartiesOf(current.rules);
    m_state->pending = pending ? PartiesOf(pending->rules) : Parties{};
    m_state->pendingTarget = pending ? pendingTarget : QUrl();
}

const TrackedDocument &CookieFilter::OwnerOf(const QString &domain) const {
    if (m_pending && !IsThirdPartyCookie(m_pending->rules.host, domain))
        return *m_pending;
    return m_current;
}

QList<QNetworkCookie> CookieFilter::CookiesFor(const QUrl &url) const {
    QList<QNetworkCookie> cookies;
    for (const QNetworkCookie &c : m_jar) {
        if (CookieGoesTo(c, url))
            cookies.append(c);
    }
    return cookies;
}

void CookieFilter::Added(const QNetworkCookie &cookie) {
    const bool keep =
        KeepsCookie(OwnerOf(cookie.domain()).rules, cookie.domain(), cookie.isSessionCookie());
    m_jar.removeIf([&](const QNetworkCookie &c) { return c.hasSameIdentifier(cookie); });
    if (keep) {
        if (m_jar.size() >= kMaxStoredCookies)
            m_jar.removeFirst();
        m_jar.append(cookie);
    } else
        m_store->deleteCookie(cookie);
    if (OnStored)
        OnStored(cookie);
}

} // namespace engine
