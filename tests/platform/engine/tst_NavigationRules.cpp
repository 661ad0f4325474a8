// Without an engine: which rules judge a request while a navigation is pending, when the history
// says a navigation committed, the seal of a document on screen, and the content a page meets.

#include "platform/engine/CookieFilter.h"
#include "platform/engine/DocumentSeal.h"
#include "platform/engine/DocumentTracker.h"
#include "platform/engine/HistoryMark.h"
#include "platform/engine/MetContent.h"
#include "platform/urlmon/UrlActions.h"

#include <QNetworkCookie>
#include <QtTest>

using namespace engine;

namespace {

DocumentRules Rules(bool scripts, bool fonts) {
    DocumentRules rules;
    rules.scripts = scripts;
    rules.fonts = fonts;
    return rules;
}

ElementSnapshot Element(const QString &tag, const QString &classid = {}, const QString &code = {}) {
    ElementSnapshot e;
    e.tagName = tag;
    e.classid = classid;
    e.code = code;
    return e;
}

} // namespace

class TestNavigationRules final : public QObject {
    Q_OBJECT
private slots:
    void rulesWhileANavigationIsPending_data();
    void rulesWhileANavigationIsPending();
    void commitSeenInTheHistory_data();
    void commitSeenInTheHistory();
    void sealPolicy_data();
    void sealPolicy();
    void sealScriptQuotesThePolicy();
    void elementsMet();
    void requestsAndCookiesMet_data();
    void requestsAndCookiesMet();
    void cookiesSentTo_data();
    void cookiesSentTo();
};

void TestNavigationRules::rulesWhileANavigationIsPending_data() {
    QTest::addColumn<bool>("currentScripts");
    QTest::addColumn<bool>("currentFonts");
    QTest::addColumn<bool>("pendingScripts");
    QTest::addColumn<bool>("pendingFonts");
    QTest::addColumn<bool>("sealed");
    QTest::addColumn<QString>("expected"); // "scripts fonts" of the rules in force
    // Until the page on screen is sealed, what either document refuses is refused.
    QTest::newRow("restricted page, looser navigation")
        << false << false << true << true << false << u"0 0"_qs;
    QTest::newRow("the same, sealed") << false << false << true << true << true << u"1 1"_qs;
    QTest::newRow("page, stricter navigation")
        << true << true << false << true << false << u"0 1"_qs;
    QTest::newRow("each refuses one kind") << false << true << true << false << false << u"0 0"_qs;
}

void TestNavigationRules::rulesWhileANavigationIsPending() {
    QFETCH(bool, currentScripts);
    QFETCH(bool, currentFonts);
    QFETCH(bool, pendingScripts);
    QFETCH(bool, pendingFonts);
    QFETCH(bool, sealed);
    QFETCH(QString, expected);
    const auto text = [](const DocumentRules &r) {
        return u"%1 %2"_qs.arg(int(r.scripts)).arg(int(r.fonts));
    };
    DocumentTracker documents;
    documents.SetPending({QUrl(u"file:///r/page.html"_qs), Rules(currentScripts, currentFonts)});
    documents.Commit();
    documents.SetPending({QUrl(u"http://next.example/"_qs), Rules(pendingScripts, pendingFonts)});
    if (sealed)
        documents.SetSealed();
    QCOMPARE(text(documents.InForce()), expected);

    // Committed: the new document's rules alone; ended: the page's own again.
    DocumentTracker ended = documents;
    documents.Commit();
    QCOMPARE(text(documents.InForce()), text(Rules(pendingScripts, pendingFonts)));
    QCOMPARE(documents.Current().address, QUrl(u"http://next.example/"_qs));
    ended.Abandon();
    QCOMPARE(text(ended.InForce()), text(Rules(currentScripts, currentFonts)));
    // A seal is for one navigation.
    ended.SetPending({QUrl(u"http://other.example/"_qs), Rules(true, true)});
    QCOMPARE(text(ended.InForce()), text(Strictest(ended.Current().rules, Rules(true, true))));
}

void TestNavigationRules::commitSeenInTheHistory_data() {
    QTest::addColumn<int>("laterMs"); // the newest visit after the mark, 0: unchanged
    QTest::addColumn<QString>("newestUrl");
    QTest::addColumn<bool>("committed");
    QTest::newRow("nothing visited since") << 0 << u"http://a.example/"_qs << false;
    QTest::newRow("the target visited") << 5 << u"http://b.example/"_qs << true;
    QTest::newRow("the target with a fragment") << 5 << u"http://b.example/#top"_qs << true;
    // A frame's or the old document's own entry.
    QTest::newRow("another URL visited") << 5 << u"http://a.example/#x"_qs << false;
}

void TestNavigationRules::commitSeenInTheHistory() {
    QFETCH(int, laterMs);
    QFETCH(QString, newestUrl);
    QFETCH(bool, committed);
    const QDateTime t0 = QDateTime::fromMSecsSinceEpoch(1'000'000);
    const HistoryMark mark{t0, QUrl(u"http://a.example/"_qs)};
    const HistoryMark now{t0.addMSecs(laterMs), QUrl(newestUrl)};
    QCOMPARE(CommittedSince(mark, now, QUrl(u"http://b.example/"_qs)), committed);
    // A reload: the same entry, visited again.
    QVERIFY(CommittedSince(mark, {t0.addMSecs(1), mark.url}, mark.url));
    QVERIFY(!CommittedSince(mark, mark, mark.url));
}

void TestNavigationRules::sealPolicy_data() {
    QTest::addColumn<bool>("currentScripts");
    QTest::addColumn<bool>("currentFonts");
    QTest::addColumn<bool>("nextScripts");
    QTest::addColumn<bool>("nextFonts");
    QTest::addColumn<QString>("policy");
    QTest::newRow("nothing loosened") << false << false << false << false << QString();
    QTest::newRow("stricter next") << true << true << false << false << QString();
    // New frames would run scripts under the next settings.
    QTest::newRow("scripts loosened")
        << false << true << true << true << u"script-src 'none'; frame-src 'none'"_qs;
    QTest::newRow("fonts loosened") << true << false << true << true << u"font-src 'none'"_qs;
    QTest::newRow("both") << false << false << true << true
                          << u"script-src 'none'; font-src 'none'; frame-src 'none'"_qs;
}

void TestNavigationRules::sealPolicy() {
    QFETCH(bool, currentScripts);
    QFETCH(bool, currentFonts);
    QFETCH(bool, nextScripts);
    QFETCH(bool, nextFonts);
    QFETCH(QString, policy);
    const DocumentRules current = Rules(currentScripts, currentFonts);
    const DocumentRules next = Rules(nextScripts, nextFonts);
    QCOMPARE(SealPolicy(current, next), policy);
}

void TestNavigationRules::sealScriptQuotesThePolicy() {
    // The policy's own quotes must not end the script's string.
    const QString script = SealScript(u"script-src 'none'"_qs, true);
    QVERIFY(script.contains(u"\"script-src 'none'\""_qs));
    QVERIFY(script.contains(u"stripScripts = true"_qs));
}

void TestNavigationRules::elementsMet() {
    DocumentSnapshot frame;
    frame.readable = true;
    frame.url = u"http://a.example/frame.html"_qs;
    frame.elements = {Element(u"SCRIPT"_qs), Element(u"APPLET"_qs, {}, u"A.class"_qs)};
    DocumentSnapshot unreadable; // another site's frame tells nothing
    DocumentSnapshot page;
    page.readable = true;
    page.url = u"http://a.example/"_qs;
    page.elements = {Element(u"P"_qs),
                     Element(u"SCRIPT"_qs),
                     Element(u"SCRIPT"_qs),
                     Element(u"OBJECT"_qs, u"clsid:D27CDB6E-AE6D-11CF-96B8-444553540000"_qs),
                     Element(u"OBJECT"_qs, u"java:Applet.class"_qs),
                     Element(u"EMBED"_qs)};
    page.frames = {frame, unreadable};
    const QUrl top(page.url);
    const QUrl inner(frame.url);
    const QList<MetAction> expected{{top, URLACTION_SCRIPT_RUN},
                                    {top, URLACTION_ACTIVEX_RUN},
                                    {top, URLACTION_JAVA_PERMISSIONS},
                                    {inner, URLACTION_SCRIPT_RUN},
                                    {inner, URLACTION_JAVA_PERMISSIONS}};
    QCOMPARE(MetActionsOf(page), expected);

    MetLog log;
    QCOMPARE(log.Answer(expected[0]), std::nullopt);
    log.Remember(expected[0], false);
    QCOMPARE(log.Answer({QUrl(u"http://a.example/#x"_qs), URLACTION_SCRIPT_RUN}), false);
    QCOMPARE(log.Answer(expected[1]), std::nullopt);
    log.Clear();
    QCOMPARE(log.Answer(expected[0]), std::nullopt);
}

void TestNavigationRules::requestsAndCookiesMet_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("url");
    QTest::addColumn<int>("action"); // -1: nothing met
    QTest::newRow("script") << int(RequestKind::Script) << u"http://h/a.js"_qs
                            << int(URLACTION_SCRIPT_RUN);
    QTest::newRow("object") << int(RequestKind::Object) << u"http://h/m.swf"_qs
                            << int(URLACTION_ACTIVEX_RUN);
    QTest::newRow("Java archive") << int(RequestKind::Object) << u"http://h/A.JAR"_qs
                                  << int(URLACTION_JAVA_PERMISSIONS);
    QTest::newRow("font") << int(RequestKind::Font) << u"http://h/f.woff"_qs
                          << int(URLACTION_HTML_FONT_DOWNLOAD);
    QTest::newRow("image") << int(RequestKind::Image) << u"http://h/i.png"_qs << -1;
    QTest::newRow("frame") << int(RequestKind::SubFrame) << u"http://h/f.html"_qs << -1;
}

void TestNavigationRules::requestsAndCookiesMet() {
    QFETCH(int, kind);
    QFETCH(QString, url);
    QFETCH(int, action);
    const std::optional<DWORD> met = MetActionOf(RequestKind(kind), QUrl(url));
    QCOMPARE(met.has_value(), action >= 0);
    if (met)
        QCOMPARE(int(*met), action);
    // Cookies: the document's own or another site's, persistent or for the session.
    QCOMPARE(CookieAction(u"www.a.example"_qs, u".a.example"_qs, false), URLACTION_COOKIES);
    QCOMPARE(CookieAction(u"www.a.example"_qs, u"www.a.example"_qs, true),
             URLACTION_COOKIES_SESSION);
    QCOMPARE(CookieAction(u"www.a.example"_qs, u"b.example"_qs, false),
             URLACTION_COOKIES_THIRD_PARTY);
    QCOMPARE(CookieAction(u"www.a.example"_qs, u".b.example"_qs, true),
             URLACTION_COOKIES_SESSION_THIRD_PARTY);
}

void TestNavigationRules::cookiesSentTo_data() {
    QTest::addColumn<QString>("domain");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("secure");
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("sent");
    QTest::newRow("host cookie, its host")
        << u"a.example"_qs << u"/"_qs << false << u"http://a.example/x"_qs << true;
    QTest::newRow("host cookie, a host under it")
        << u"a.example"_qs << u"/"_qs << false << u"http://www.a.example/"_qs << false;
    QTest::newRow("domain cookie, a host under it")
        << u".a.example"_qs << u"/"_qs << false << u"http://www.a.example/"_qs << true;
    QTest::newRow("path below the cookie's")
        << u"a.example"_qs << u"/app"_qs << false << u"http://a.example/app/x"_qs << true;
    QTest::newRow("path that only starts alike")
        << u"a.example"_qs << u"/app"_qs << false << u"http://a.example/apple"_qs << false;
    QTest::newRow("secure cookie over http")
        << u"a.example"_qs << u"/"_qs << true << u"http://a.example/"_qs << false;
    QTest::newRow("secure cookie over https")
        << u"a.example"_qs << u"/"_qs << true << u"https://a.example/"_qs << true;
}

void TestNavigationRules::cookiesSentTo() {
    QFETCH(QString, domain);
    QFETCH(QString, path);
    QFETCH(bool, secure);
    QFETCH(QString, url);
    QFETCH(bool, sent);
    QNetworkCookie cookie("n", "v");
    cookie.setDomain(domain);
    cookie.setPath(path);
    cookie.setSecure(secure);
    QCOMPARE(CookieGoesTo(cookie, QUrl(url)), sent);
}

QTEST_APPLESS_MAIN(TestNavigationRules)
#include "tst_NavigationRules.moc"
