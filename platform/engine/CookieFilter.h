#pragma once
// Cookies by the current document's rules. The engine calls the cookie filter on its network
// thread, where the host's security manager must not be called; the decisions are taken on the
// GUI thread when a document is accepted and only read there.
//
// The filter sees whether an access is third party but never the cookie itself, so it lets a
// cookie through when either of its kinds (persistent, session) is allowed; once the cookie is
// stored, the store reports it and a cookie of a refused kind is deleted at once.

#include "platform/engine/ContentRules.h"

#include <QMetaObject>

#include <atomic>
#include <memory>

class QNetworkCookie;
class QWebEngineCookieStore;

namespace engine {

// True when a cookie for domain (".example.com" or a host) does not belong to host, the
// document's host. Domains are compared as the engine stores them, not by registrable domain:
// a cookie of a sibling host (a.example.com on b.example.com) counts as third party.
bool IsThirdPartyCookie(const QString &host, const QString &domain);

// Whether rules let a stored cookie of domain stay; session: the cookie has no expiry.
bool KeepsCookie(const DocumentRules &rules, const QString &domain, bool session);

class CookieFilter final {
public:
    explicit CookieFilter(QWebEngineCookieStore *store);
    ~CookieFilter();
    CookieFilter(const CookieFilter &) = delete;
    CookieFilter &operator=(const CookieFilter &) = delete;

    void Apply(const DocumentRules &rules);

private:
    void Added(const QNetworkCookie &cookie);

    struct State {
        std::atomic<bool> firstParty{true};
        std::atomic<bool> thirdParty{true};
    };
    QWebEngineCookieStore *m_store = nullptr;
    std::shared_ptr<State> m_state = std::make_shared<State>();
    DocumentRules m_rules; // GUI thread only
    QMetaObject::Connection m_added;
};

} // namespace engine
