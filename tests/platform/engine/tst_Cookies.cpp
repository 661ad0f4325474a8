// Cookies by the document's rules: persistent and session cookies, first and third party, each
// asked of the zone (0x1A02, 0x1A03, 0x1A05, 0x1A06) and enforced on the real engine.

#include "BrowserFixture.h"
#include "TestHttpServer.h"

#include "platform/engine/CookieFilter.h"
#include "platform/engine/EngineEnvironment.h"

#include <QNetworkCookie>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>

using engine::DocumentRules;

class TestCookies final : public QObject {
    Q_OBJECT
public:
    static void initMain() { engine::PrepareEngineEnvironment(); }

private slots:
    void thirdParty_data();
    void thirdParty();
    void rulesKeepCookies_data();
    void rulesKeepCookies();
    void engineKeepsOnlyAllowedCookies_data();
    void engineKeepsOnlyAllowedCookies();
};

void TestCookies::thirdParty_data() {
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("domain");
    QTest::addColumn<bool>("thirdParty");
    QTest::newRow("same host") << u"www.example.com"_qs << u"www.example.com"_qs << false;
    QTest::newRow("letter case") << u"WWW.Example.com"_qs << u"www.example.COM"_qs << false;
    QTest::newRow("domain cookie of the host")
        << u"www.example.com"_qs << u".example.com"_qs << false;
    QTest::newRow("domain cookie of the bare domain")
        << u"example.com"_qs << u".example.com"_qs << false;
    QTest::newRow("host cookie of the parent")
        << u"www.example.com"_qs << u"example.com"_qs << true;
    QTest::newRow("sibling host") << u"a.example.com"_qs << u"b.example.com"_qs << true;
    QTest::newRow("other site") << u"www.example.com"_qs << u".tracker.net"_qs << true;
    QTest::newRow("suffix is not a domain") << u"badexample.com"_qs << u".example.com"_qs << true;
    QTest::newRow("local document") << QString() << u"127.0.0.1"_qs << true;
    QTest::newRow("no domain given") << u"www.example.com"_qs << QString() << false;
}

void TestCookies::thirdParty() {
    QFETCH(QString, host);
    QFETCH(QString, domain);
    QFETCH(bool, thirdParty);
    QCOMPARE(engine::IsThirdPartyCookie(host, domain), thirdParty);
}

namespace {

// The four kinds of cookie, in the order of the expectation strings below.
struct Kind {
    const char *name;
    const char *domain;
    bool session;
};
constexpr Kind kKinds[] = {{"first", "example.com", false},
                           {"first-session", ".example.com", true},
                           {"third", "tracker.net", false},
                           {"third-session", ".tracker.net", true}};

} // namespace

void TestCookies::rulesKeepCookies_data() {
    QTest::addColumn<QSet<DWORD>>("denied");
    QTest::addColumn<QString>("kept");
    QTest::newRow("all allowed") << QSet<DWORD>{} << u"first first-session third third-session"_qs;
    QTest::newRow("0x1A02 persistent")
        << QSet<DWORD>{URLACTION_COOKIES} << u"first-session third third-session"_qs;
    QTest::newRow("0x1A03 session")
        << QSet<DWORD>{URLACTION_COOKIES_SESSION} << u"first third third-session"_qs;
    QTest::newRow("0x1A05 third-party persistent")
        << QSet<DWORD>{URLACTION_COOKIES_THIRD_PARTY} << u"first first-session third-session"_qs;
    QTest::newRow("0x1A06 third-party session")
        << QSet<DWORD>{URLACTION_COOKIES_SESSION_THIRD_PARTY} << u"first first-session third"_qs;
    QTest::newRow("all refused") << QSet<DWORD>{URLACTION_COOKIES, URLACTION_COOKIES_SESSION,
                                                URLACTION_COOKIES_THIRD_PARTY,
                                                URLACTION_COOKIES_SESSION_THIRD_PARTY}
                                 << QString();
}

void TestCookies::rulesKeepCookies() {
    QFETCH(QSet<DWORD>, denied);
    QFETCH(QString, kept);
    const QUrl document(u"http://Example.com/page"_qs);
    const DocumentRules rules =
        engine::DecideDocumentRules(document, DLCTL_DEFAULT, [&](const QUrl &url, DWORD action) {
            return url != document || !denied.contains(action);
        });
    QStringList names;
    for (const Kind &kind : kKinds) {
        if (engine::KeepsCookie(rules, QString::fromLatin1(kind.domain), kind.session))
            names << QString::fromLatin1(kind.name);
    }
    QCOMPARE(names.join(u' '), kept);
}

void TestCookies::engineKeepsOnlyAllowedCookies_data() {
    rulesKeepCookies_data();
}

void TestCookies::engineKeepsOnlyAllowedCookies() {
    QFETCH(QSet<DWORD>, denied);
    QFETCH(QString, kept);
    BrowserFixture f;
    f.manager->deniedRestricted = denied;
    TestHttpServer server;
    QVERIFY(server.IsListening());
    // The page sets the first-party cookies itself.
    server.Serve("/restricted/page", "<title>page</title>",
                 "Content-Type: text/html\r\n"
                 "Set-Cookie: first=1; Path=/; Max-Age=3600\r\n"
                 "Set-Cookie: first-session=1; Path=/\r\n");
    // What the store holds, as it reports it.
    QWebEngineCookieStore *store =
        f.browser->findChild<QWebEnginePage *>()->profile()->cookieStore();
    QSet<QString> stored;
    QSet<QString> seen;    // ever added
    const QObject context; // goes before the sets
    QObject::connect(store, &QWebEngineCookieStore::cookieAdded, &context,
                     [&](const QNetworkCookie &c) {
                         stored.insert(QString::fromLatin1(c.name()));
                         seen.insert(QString::fromLatin1(c.name()));
                     });
    QObject::connect(
        store, &QWebEngineCookieStore::cookieRemoved, &context,
        [&](const QNetworkCookie &c) { stored.remove(QString::fromLatin1(c.name())); });
    QCOMPARE(f.LoadUrl(server.Url(u"/restricted/page"_qs)), u"page"_qs);
    // Another host's cookies arrive while the page is current. The engine stores none from a
    // response of another site inside the page (checked with an image from localhost), so
    // they are put into the store directly; the store reports them like any other.
    const QUrl otherSite(server.Url(u"/"_qs).replace(u"127.0.0.1"_qs, u"localhost"_qs));
    for (const char *name : {"third", "third-session"}) {
        QNetworkCookie cookie(name, "1");
        cookie.setDomain(u"localhost"_qs);
        cookie.setPath(u"/"_qs);
        if (qstrcmp(name, "third") == 0)
            cookie.setExpirationDate(QDateTime::currentDateTimeUtc().addDays(1));
        store->setCookie(cookie, otherSite);
    }
    // Decided by this page's rules only while it is current.
    QTRY_VERIFY_WITH_TIMEOUT(seen.contains(u"third"_qs) && seen.contains(u"third-session"_qs),
                             kLoadTimeout);
    const auto keptNames = [&] {
        QStringList names;
        for (const Kind &kind : kKinds) {
            if (stored.contains(QString::fromLatin1(kind.name)))
                names << QString::fromLatin1(kind.name);
        }
        return names.join(u' ');
    };
    QTRY_COMPARE_WITH_TIMEOUT(keptNames(), kept, kLoadTimeout);
    // And what the sites get back on their next visit, from a document that allows all cookies.
    server.Serve("/check", "<title>check</title>");
    QCOMPARE(f.LoadUrl(server.Url(u"/check"_qs)), u"check"_qs);
    QCOMPARE(f.LoadUrl(server.Url(u"/check"_qs).replace(u"127.0.0.1"_qs, u"localhost"_qs)),
             u"check"_qs);
    QStringList sent;
    for (const HttpRequest &request : std::as_const(server.requests)) {
        if (request.path != "/check")
            continue;
        for (const QByteArray &pair : request.cookie.split(';')) {
            if (!pair.trimmed().isEmpty())
                sent << QString::fromLatin1(pair.trimmed().split('=').value(0));
        }
    }
    QStringList expected = kept.split(u' ', Qt::SkipEmptyParts);
    sent.sort();
    expected.sort();
    QCOMPARE(sent, expected);
}

QTEST_MAIN(TestCookies)
#include "tst_Cookies.moc"
