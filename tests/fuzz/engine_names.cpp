// The charset and cookie names a page hands the browser control: a charset set through the
// document model (document.charset), and the domains and paths of the cookies the engine
// stores. The input's lines are the charset, the page's URL, the page's host and a cookie
// domain; the rest is Set-Cookie text.

#include "FuzzCheck.h"

#include "platform/engine/CharsetOverrides.h"
#include "platform/engine/CookieRules.h"

#include <QList>
#include <QNetworkCookie>
#include <QStringList>

#include <cstdint>

namespace {

// What a content type must not get from a charset: its parameters' syntax, blanks, non-ASCII.
bool SafeInContentType(const QString &name) {
    for (const QChar c : name) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7F || QStringView(u";,=\"'\\/()<>").contains(c))
            return false;
    }
    return true;
}

void CheckCharset(const QString &charset, const QUrl &page) {
    if (!charset.isEmpty() && !engine::IsCharsetName(charset))
        return; // refused before it reaches the overrides
    FUZZ_CHECK(charset.size() <= 40 && SafeInContentType(charset));
    engine::CharsetOverrides overrides;
    overrides.Set(page, charset);
    FUZZ_CHECK(overrides.For(page) == charset);
    const QUrl reading(u"data:text/html;charset="_qs + charset + u","_qs +
                       QString::fromLatin1(page.toEncoded().toPercentEncoding()));
    overrides.RememberReading(reading, page);
    FUZZ_CHECK(overrides.AddressOf(reading) == page);
}

void CheckCookie(const QString &host, const QString &domain, bool session, const QUrl &page) {
    FUZZ_CHECK(!engine::IsThirdPartyCookie(host, host));
    engine::DocumentRules allowed;
    allowed.host = host;
    FUZZ_CHECK(engine::KeepsCookie(allowed, domain, session));
    engine::DocumentRules refused = allowed;
    refused.cookies = refused.sessionCookies = false;
    refused.thirdPartyCookies = refused.thirdPartySessionCookies = false;
    FUZZ_CHECK(!engine::KeepsCookie(refused, domain, session));
    (void)engine::IsThirdPartyCookie(page.host(), domain);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QString input = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    QStringList lines = input.split(u'\n');
    while (lines.size() < 5)
        lines.append(QString());
    const QString &charset = lines[0];
    const QUrl page(lines[1]);
    const QString &host = lines[2];
    CheckCharset(charset, page);
    CheckCookie(host, lines[3], false, page);
    CheckCookie(host, lines[3], true, page);
    const QByteArray header = lines.mid(4).join(u'\n').toUtf8();
    for (const QNetworkCookie &cookie : QNetworkCookie::parseCookies(header)) {
        CheckCookie(host, cookie.domain(), cookie.isSessionCookie(), page);
        (void)engine::CookieGoesTo(cookie, page);
    }
    return 0;
}
