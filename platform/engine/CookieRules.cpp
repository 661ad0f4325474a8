#include "platform/engine/CookieRules.h"

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

bool CookieGoesTo(const QNetworkCookie &cookie, const QUrl &url) {
    if (IsThirdPartyCookie(url.host(), cookie.domain()))
        return false;
    if (cookie.isSecure() && url.scheme() != u"https"_qs)
        return false;
    const QString path = cookie.path().isEmpty() ? u"/"_qs : cookie.path();
    const QString target = url.path().isEmpty() ? u"/"_qs : url.path();
    return target == path || target.startsWith(path.endsWith(u'/') ? path : path + u'/');
}

} // namespace engine
