#pragma once
// Cookies by the rules of the document they belong to. The engine calls the cookie filter on its
// network thread, where the host's security manager must not be called; the decisions are taken
// on the GUI thread when a document is accepted and only read there.
//
// The filter sees an access's URL (its origin) and whether it is third party, but never the
// cookie itself, so it lets a cookie through when either of its kinds (persistent, session) is
// allowed; once the cookie is stored, the store reports it and a cookie of a refused kind is
// deleted at once. While a navigation is pending, its own request's cookies follow its rules and
// every other access the rules of the document on screen.

#include "platform/engine/CookieRules.h"
#include "platform/engine/DocumentTracker.h"

#include <QList>
#include <QMetaObject>
#include <QMutex>
#include <QNetworkCookie>

#include <functional>
#include <memory>

class QWebEngineCookieStore;

namespace engine {

class CookieFilter final {
public:
    explicit CookieFilter(QWebEngineCookieStore *store);
    ~CookieFilter();
    CookieFilter(const CookieFilter &) = delete;
    CookieFilter &operator=(const CookieFilter &) = delete;

    // The document on screen, and the pending navigation's document with the URL it loads.
    void Apply(const TrackedDocument &current, const std::optional<TrackedDocument> &pending,
               const QUrl &pendingTarget);
    // The document a stored cookie belongs to: the pending one when the cookie is of its host
    // (its page's answer sets it before it commits), else the one on screen.
    const TrackedDocument &OwnerOf(const QString &domain) const;

    // Told of every cookie the store reports (from a response or a script), kept or deleted.
    std::function<void(const QNetworkCookie &cookie)> OnStored;
    // The stored cookies a request to url carries.
    QList<QNetworkCookie> CookiesFor(const QUrl &url) const;

private:
    void Added(const QNetworkCookie &cookie);

    struct Parties {
        bool firstParty = true;
        bool thirdParty = true;
    };
    struct State {
        QMutex mutex;
        Parties current;
        Parties pending;
        QUrl pendingTarget; // empty while no navigation is pending
    };
    static Parties PartiesOf(const DocumentRules &rules);
    QWebEngineCookieStore *m_store = nullptr;
    std::shared_ptr<State> m_state = std::make_shared<State>();
    TrackedDocument m_current; // GUI thread only
    std::optional<TrackedDocument> m_pending;
    QList<QNetworkCookie> m_jar; // what the store holds
    QMetaObject::Connection m_added;
    QMetaObject::Connection m_removed;
};

} // namespace engine
