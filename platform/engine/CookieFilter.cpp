#include "platform/engine/CookieFilter.h"

#include <QNetworkCookie>
#include <QWebEngineCookieStore>

namespace engine {

bool IsThirdPartyCookie(const QString &host, const QString &domain) {
    QString d = domain.toLower();
    if (d.startsWith(u'.'))
        d.remove(0, 1);
    const QString h = host.toLower();
    if (d.isEmpty() || h == d)
        return false;
    // A domain cookie covers the hosts under it; a host cookie only its own host.
    return !(domain.startsWith(u'.') && h.endsWith(u'.' + d));
}

bool KeepsCookie(const DocumentRules &rules, const QString &domain, bool session) {
    if (IsThirdPartyCookie(rules.host, domain))
        return session ? rules.thirdPartySessionCookies : rules.thirdPartyCookies;
    return session ? rules.sessionCookies : rules.cookies;
}

CookieFilter::CookieFilter(QWebEngineCookieStore *store) : m_store(store) {
    // The filter keeps its own reference: it may run on the network thread while the control
    // is being destroyed.
    m_store->setCookieFilter(
        [state = m_state](const QWebEngineCookieStore::FilterRequest &request) {
            return request.thirdParty ? state->thirdParty.load() : state->firstParty.load();
        });
    m_added = QObject::connect(m_store, &QWebEngineCookieStore::cookieAdded, m_store,
                               [this](const QNetworkCookie &cookie) { Added(cookie); });
}

CookieFilter::~CookieFilter() {
    QObject::disconnect(m_added);
    m_store->setCookieFilter(nullptr);
}

void CookieFilter::Apply(const DocumentRules &rules) {
    m_rules = rules;
    m_state->firstParty = rules.cookies || rules.sessionCookies;
    m_state->thirdParty = rules.thirdPartyCookies || rules.thirdPartySessionCookies;
}

void CookieFilter::Added(const QNetworkCookie &cookie) {
    if (!KeepsCookie(m_rules, cookie.domain(), cookie.isSessionCookie()))
        m_store->deleteCookie(cookie);
}

} // namespace engine
