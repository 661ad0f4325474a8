#pragma once
// Which document a cookie belongs to and whether its rules keep it: decisions on the domains and
// paths a page's cookies name, free of the engine's cookie store.

#include "platform/engine/ContentRules.h"

#include <QNetworkCookie>
#include <QString>
#include <QUrl>

namespace engine {

// True when a cookie for domain (".example.com" or a host) does not belong to host, the
// document's host. Domains are compared as the engine stores them, not by registrable domain:
// a cookie of a sibling host (a.example.com on b.example.com) counts as third party.
bool IsThirdPartyCookie(const QString &host, const QString &domain);

// Whether rules let a stored cookie of domain stay; session: the cookie has no expiry.
bool KeepsCookie(const DocumentRules &rules, const QString &domain, bool session);

// True when a request to url carries cookie: its domain covers the host, its path the path, and
// a secure cookie goes over https only.
bool CookieGoesTo(const QNetworkCookie &cookie, const QUrl &url);

} // namespace engine
