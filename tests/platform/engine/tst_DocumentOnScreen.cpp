// The rules and events of the document on screen, on the real engine: a pending navigation does
// not loosen the page still shown, while the cookies its own answer sets follow its rules; a frame
// needs every rule of its zone; NavigateComplete2 only for a navigation that commits; loads that
// run into each other still complete; a page read with a chosen charset keeps its own address and
// rules.

#include "BrowserFixture.h"
#include "DispatchHelpers.h"
#include "TestHttpServer.h"

#include "platform/engine/EngineEnvironment.h"

#include <QDir>
#include <QFile>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineSettings>

namespace {

// The restricted page arrives in two parts: what follows the marker comes while a navigation
// away from it is pending. Each of its parts that runs adds a word to the title.
const QByteArray kStreamedPage =
    "<!DOCTYPE html><html><head><meta charset='utf-8'><title>restricted</title></head>"
    "<body onload=\"document.title += ' onload'\">first part" +
    QByteArray(2048, ' ') +
    "<!--HOLD--><script>document.title += ' inline';</script>"
    "<iframe src='/frame.html'></iframe>"
    "<style>@font-face { font-family: f; src: url(/font.woff); }</style>"
    "<p style='font-family: f'>text</p><img src='/last.png'></body></html>";

bool WriteFile(const QString &path, const QByteArray &content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

class TestDocumentOnScreen final : public QObject {
    Q_OBJECT
public:
    static void initMain() { engine::PrepareEngineEnvironment(); }

private slots:
    void init() { m_f = std::make_unique<BrowserFixture>(); }
    void cleanup() { m_f.reset(); }
    void pendingNavigationKeepsThePagesRules_data();
    void pendingNavigationKeepsThePagesRules();
    void pagesOwnCookiesFollowItsRules_data();
    void pagesOwnCookiesFollowItsRules();
    void frameNeedsEveryRuleOfItsZone_data();
    void frameNeedsEveryRuleOfItsZone();
    void navigateCompleteOnlyOnCommit_data();
    void navigateCompleteOnlyOnCommit();
    void loadsThatRunIntoEachOtherComplete_data();
    void loadsThatRunIntoEachOtherComplete();
    void charsetReadingKeepsItsPagesRules();
    void charsetReadingWaitsForNoNavigation();

private:
    QWebEnginePage *Page() const { return m_f->browser->findChild<QWebEnginePage *>(); }
    // document.readyState of the page's current document, asked in the isolated world.
    QString DocumentState() {
        QString state;
        bool answered = false;
        Page()->runJavaScript(u"document.readyState"_qs, QWebEngineScript::ApplicationWorld,
                              [&](const QVariant &value) {
                                  state = value.toString();
                                  answered = true;
                              });
        if (!QTest::qWaitFor([&] { return answered; }, kLoadTimeout))
            return u"<no answer>"_qs;
        return state;
    }
    // A file in the test's own directory (restricted/ ones are in the Restricted sites zone).
    QString WritePage(const QString &name, const QByteArray &html) {
        const QString path = m_site.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        return WriteFile(path, html) ? QUrl::fromLocalFile(path).toString() : QString();
    }

    std::unique_ptr<BrowserFixture> m_f;
    QTemporaryDir m_site;
};

void TestDocumentOnScreen::pendingNavigationKeepsThePagesRules_data() {
    QTest::addColumn<QSet<DWORD>>("denied");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QString>("titleWhilePending");
    const QSet<DWORD> scriptsAndFonts{URLACTION_SCRIPT_RUN, URLACTION_HTML_FONT_DOWNLOAD};
    QTest::newRow("slow answer") << scriptsAndFonts << QByteArray("/next") << u"restricted"_qs;
    QTest::newRow("no content (204)")
        << scriptsAndFonts << QByteArray("/nocontent") << u"restricted"_qs;
    QTest::newRow("download") << scriptsAndFonts << QByteArray("/file.bin") << u"restricted"_qs;
    // Scripts allowed on both sides: no seal; the font is stopped at its request.
    QTest::newRow("slow answer, the page refuses fonts only")
        << QSet<DWORD>{URLACTION_HTML_FONT_DOWNLOAD} << QByteArray("/next")
        << u"restricted inline frame onload"_qs;
}

void TestDocumentOnScreen::pendingNavigationKeepsThePagesRules() {
    QFETCH(QSet<DWORD>, denied);
    QFETCH(QByteArray, target);
    QFETCH(QString, titleWhilePending);
    m_f->manager->deniedRestricted = denied;
    TestHttpServer server;
    QVERIFY(server.IsListening());
    server.ServeHeld("/restricted/page", kStreamedPage);
    server.Serve("/frame.html", "<script>parent.document.title += ' frame';</script>");
    server.Serve("/last.png", QByteArray());
    server.ServeHeld("/next", "<title>next</title><script>document.title = 'next ran';</script>");
    server.ServeHeld("/nocontent", {}, {}, "204 No Content");
    server.ServeHeld("/file.bin", QByteArray(64, 'x'),
                     "Content-Type: application/octet-stream\r\n"
                     "Content-Disposition: attachment; filename=file.bin\r\n");

    QCOMPARE(m_f->browser->Navigate(server.Url(u"/restricted/page"_qs)), S_OK);
    QTRY_COMPARE_WITH_TIMEOUT(m_f->browser->LocationName(), u"restricted"_qs, kLoadTimeout);
    QCOMPARE(m_f->browser->Navigate(server.Url(QString::fromLatin1(target))), S_OK);
    QTRY_COMPARE_WITH_TIMEOUT(server.RequestsOf(target), 1, kLoadTimeout);
    // The rest of the restricted page arrives while the navigation waits for its answer.
    server.Release("/restricted/page");
    QTRY_COMPARE_WITH_TIMEOUT(DocumentState(), u"complete"_qs, kLoadTimeout);
    QCOMPARE(Page()->title(), titleWhilePending);
    QCOMPARE(server.RequestsOf("/font.woff"), 0);
    QCOMPARE(server.RequestsOf("/frame.html"), titleWhilePending.contains(u"frame"_qs) ? 1 : 0);

    // The new document's own rules are in force when it starts; one that never comes leaves
    // the page's rules.
    const int before = m_f->completed;
    server.Release(target);
    if (target == "/next") {
        QTRY_VERIFY_WITH_TIMEOUT(m_f->completed > before, kLoadTimeout);
        QCOMPARE(m_f->browser->LocationName(), u"next ran"_qs);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(!m_f->browser->Busy(), kLoadTimeout);
        QCOMPARE(m_f->browser->LocationName(), titleWhilePending);
        QVERIFY(!m_f->browser->Rules().scripts);
        QVERIFY(!Page()->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled));
    }
}

void TestDocumentOnScreen::pagesOwnCookiesFollowItsRules_data() {
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<bool>("kept");
    // Its answer sets the cookie while the page before it is still on screen.
    QTest::newRow("from a page that refuses cookies")
        << QByteArray("/restricted/page") << QByteArray("/set") << true;
    QTest::newRow("to a page that refuses them")
        << QByteArray("/page") << QByteArray("/restricted/set") << false;
}

void TestDocumentOnScreen::pagesOwnCookiesFollowItsRules() {
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(bool, kept);
    m_f->manager->deniedRestricted = {URLACTION_COOKIES, URLACTION_COOKIES_SESSION};
    TestHttpServer server;
    const QByteArray setCookie = "Content-Type: text/html\r\nSet-Cookie: visit=1; Path=/\r\n";
    for (const QByteArray &path : {QByteArray("/page"), QByteArray("/restricted/page")})
        server.Serve(path, "<title>before</title>");
    server.Serve("/set", "<title>set</title>", setCookie);
    server.Serve("/restricted/set", "<title>set</title>", setCookie);
    server.Serve("/check", "<title>check</title>");
    QCOMPARE(m_f->LoadUrl(server.Url(QString::fromLatin1(from))), u"before"_qs);
    QCOMPARE(m_f->LoadUrl(server.Url(QString::fromLatin1(to))), u"set"_qs);
    QCOMPARE(m_f->LoadUrl(server.Url(u"/check"_qs)), u"check"_qs);
    QByteArray sent = "<no request>";
    for (const HttpRequest &request : server.requests) {
        if (request.path == "/check")
            sent = request.cookie;
    }
    QCOMPARE(sent, kept ? QByteArray("visit=1") : QByteArray());
}

void TestDocumentOnScreen::frameNeedsEveryRuleOfItsZone_data() {
    QTest::addColumn<QSet<DWORD>>("denied");
    QTest::addColumn<int>("blocked"); // the action reported for the frame, -1: it loads
    QTest::newRow("frame's zone allows all its page does") << QSet<DWORD>{} << -1;
    QTest::newRow("frame's zone refuses fonts")
        << QSet<DWORD>{URLACTION_HTML_FONT_DOWNLOAD} << int(URLACTION_HTML_FONT_DOWNLOAD);
    QTest::newRow("frame's zone refuses frames")
        << QSet<DWORD>{URLACTION_HTML_SUBFRAME_NAVIGATE} << int(URLACTION_HTML_SUBFRAME_NAVIGATE);
}

void TestDocumentOnScreen::frameNeedsEveryRuleOfItsZone() {
    QFETCH(QSet<DWORD>, denied);
    QFETCH(int, blocked);
    m_f->manager->deniedRestricted = denied;
    TestHttpServer server;
    server.Serve("/page", "<title>page</title><iframe src='/restricted/frame'></iframe>");
    server.Serve("/restricted/frame",
                 "<style>@font-face { font-family: f; src: url(/restricted/f.woff); }</style>"
                 "<p style='font-family: f'>text</p><iframe src='/restricted/inner'></iframe>");
    server.Serve("/restricted/inner", "inner");
    QCOMPARE(m_f->LoadUrl(server.Url(u"/page"_qs)), u"page"_qs);
    if (blocked < 0) {
        QTRY_COMPARE_WITH_TIMEOUT(server.RequestsOf("/restricted/inner"), 1, kLoadTimeout);
        QCOMPARE(server.RequestsOf("/restricted/f.woff"), 1);
        QVERIFY(m_f->blocked.isEmpty());
        return;
    }
    // The frame is not loaded at all, so neither its font nor its own frame is asked for.
    QCOMPARE(server.RequestsOf("/restricted/frame"), 0);
    QCOMPARE(server.RequestsOf("/restricted/f.woff"), 0);
    QCOMPARE(server.RequestsOf("/restricted/inner"), 0);
    QVERIFY(m_f->WasBlocked(u"/restricted/frame"_qs, DWORD(blocked)));
}

void TestDocumentOnScreen::navigateCompleteOnlyOnCommit_data() {
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<bool>("commits");
    QTest::newRow("a page") << QByteArray("/next") << true;
    QTest::newRow("no content (204)") << QByteArray("/nocontent") << false;
    QTest::newRow("download") << QByteArray("/file.bin") << false;
}

void TestDocumentOnScreen::navigateCompleteOnlyOnCommit() {
    QFETCH(QByteArray, target);
    QFETCH(bool, commits);
    TestHttpServer server;
    server.Serve("/page", "<title>page</title>");
    server.ServeHeld("/next", "<title>next</title>");
    server.ServeHeld("/nocontent", {}, {}, "204 No Content");
    server.ServeHeld("/file.bin", QByteArray(64, 'x'),
                     "Content-Type: application/octet-stream\r\n"
                     "Content-Disposition: attachment; filename=file.bin\r\n");
    QCOMPARE(m_f->LoadUrl(server.Url(u"/page"_qs)), u"page"_qs);
    QStringList navigated;
    m_f->browser->OnNavigateComplete2 = [&](TWebBrowser *, IDispatch *, const QString &url) {
        navigated << url;
    };
    QList<QPair<LONG, LONG>> progress;
    m_f->browser->OnProgressChange = [&](TWebBrowser *, LONG p, LONG max) {
        progress.append({p, max});
    };
    const QString url = server.Url(QString::fromLatin1(target));
    QCOMPARE(m_f->browser->Navigate(url), S_OK);
    QTRY_COMPARE_WITH_TIMEOUT(server.RequestsOf(target), 1, kLoadTimeout);
    QVERIFY(m_f->browser->Busy());
    QVERIFY(navigated.isEmpty()); // the answer has not come: the old page is on screen
    const int before = m_f->completed;
    server.Release(target);
    QTRY_VERIFY_WITH_TIMEOUT(!m_f->browser->Busy() && (!commits || m_f->completed > before),
                             kLoadTimeout);
    QCOMPARE(navigated, commits ? QStringList{url} : QStringList{});
    QCOMPARE(m_f->browser->LocationName(), commits ? u"next"_qs : u"page"_qs);
    QCOMPARE(m_f->browser->ReadyState(), READYSTATE_COMPLETE);
    // The busy display ends for a navigation that never commits: progress -1, no maximum.
    if (!commits)
        QCOMPARE(progress.last(), (QPair<LONG, LONG>{-1, 0}));
}

void TestDocumentOnScreen::loadsThatRunIntoEachOtherComplete_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("pulls");
    QTest::newRow("allowed") << u"pull.html"_qs << true;
    QTest::newRow("zone refuses meta refresh") << u"restricted/pull.html"_qs << false;
}

void TestDocumentOnScreen::loadsThatRunIntoEachOtherComplete() {
    QFETCH(QString, page);
    QFETCH(bool, pulls);
    // The page leaves from its load event, before the engine has reported its load finished;
    // the engine then reports one end for both loads.
    m_f->manager->deniedRestricted = {URLACTION_HTML_META_REFRESH};
    const QByteArray pull = "<title>pull</title>"
                            "<body onload=\"location.replace(location.href.replace("
                            "/(restricted\\/)?pull.html$/, 'next.html'))\">pull</body>";
    QVERIFY(!WritePage(u"pull.html"_qs, pull).isEmpty());
    QVERIFY(!WritePage(u"restricted/pull.html"_qs, pull).isEmpty());
    QVERIFY(!WritePage(u"next.html"_qs, "<title>next</title>").isEmpty());
    QStringList completed;
    m_f->browser->OnDocumentComplete = [&](TWebBrowser *, IDispatch *, const QString &url) {
        completed << QUrl(url).fileName();
    };
    QCOMPARE(m_f->browser->Navigate(QUrl::fromLocalFile(m_site.filePath(page)).toString()), S_OK);
    if (pulls) {
        QTRY_COMPARE_WITH_TIMEOUT(completed, (QStringList{u"pull.html"_qs, u"next.html"_qs}),
                                  kLoadTimeout);
        QCOMPARE(m_f->browser->LocationName(), u"next"_qs);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(m_f->WasBlocked(u"/next.html"_qs, URLACTION_HTML_META_REFRESH),
                                 kLoadTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(completed, QStringList{u"pull.html"_qs}, kLoadTimeout);
        QCOMPARE(m_f->browser->LocationName(), u"pull"_qs);
    }
}

void TestDocumentOnScreen::charsetReadingKeepsItsPagesRules() {
    // A restricted page in Shift_JIS declared as Latin-1, with a script its zone refuses.
    QFile source(qEnvironmentVariable("QM_SOURCE_DIR") +
                 u"/tests/fixtures/engine/model/sjis.html"_qs);
    QVERIFY(source.open(QIODevice::ReadOnly));
    QByteArray html = source.readAll();
    html.replace("</body>", "<script>document.title = 'script ran';</script></body>");
    const QString url = WritePage(u"restricted/sjis.html"_qs, html);
    const QString expected = u"日本語のページ"_qs;
    QVERIFY(m_f->LoadUrl(url) != expected);
    QCOMPARE(PutByName(m_f->browser->Document(), "charset", Variant("shift_jis")), S_OK);
    QCOMPARE(m_f->Load([&] { QCOMPARE(m_f->browser->Refresh(), S_OK); }), expected);
    QCOMPARE(m_f->LoadUrl(Fixture(u"selectable.html"_qs)), u"text"_qs);

    // Back to the reading: its page's address, zone and rules, not those of its data: URL.
    QStringList before;
    m_f->browser->OnBeforeNavigate2 = [&](TWebBrowser *, IDispatch *, const QString &u, LONG,
                                          const QString &, const QByteArray &, const QString &,
                                          bool &) { before << u; };
    QStringList navigated;
    m_f->browser->OnNavigateComplete2 = [&](TWebBrowser *, IDispatch *, const QString &u) {
        navigated << u;
    };
    QCOMPARE(m_f->Load([&] { QCOMPARE(m_f->browser->GoBack(), S_OK); }), expected);
    QCOMPARE(before, QStringList{url});
    QCOMPARE(navigated, QStringList{url});
    QCOMPARE(m_f->browser->LocationURL(), url);
    QVERIFY(!m_f->browser->Rules().scripts);
    QVERIFY(m_f->manager->WasAsked(URLACTION_SCRIPT_RUN, u"restricted/sjis.html"_qs,
                                   FakeSecurityManager::Asked::Decided));
}

void TestDocumentOnScreen::charsetReadingWaitsForNoNavigation() {
    const QString sjis = QUrl::fromLocalFile(qEnvironmentVariable("QM_SOURCE_DIR") +
                                             u"/tests/fixtures/engine/model/sjis.html"_qs)
                             .toString();
    QVERIFY(m_f->LoadUrl(sjis) != u"日本語のページ"_qs);
    // Chosen now, read with it from the page's next load on.
    QCOMPARE(PutByName(m_f->browser->Document(), "charset", Variant("shift_jis")), S_OK);
    QCOMPARE(m_f->LoadUrl(Fixture(u"selectable.html"_qs)), u"text"_qs);
    // The next navigation starts as soon as the page has loaded, before the control has looked
    // at the charset its document was read with.
    const QString next = Fixture(u"scripts.html"_qs);
    bool started = false;
    QObject::connect(Page(), &QWebEnginePage::loadingChanged, m_f->browser.get(),
                     [&](const QWebEngineLoadingInfo &info) {
                         if (!started &&
                             info.status() == QWebEngineLoadingInfo::LoadSucceededStatus &&
                             info.url().fileName() == u"sjis.html"_qs) {
                             started = true;
                             m_f->browser->Navigate(next);
                         }
                     });
    QCOMPARE(m_f->browser->Navigate(sjis), S_OK);
    QTRY_COMPARE_WITH_TIMEOUT(m_f->browser->LocationName(), u"page inline external"_qs,
                              kLoadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!m_f->browser->Busy(), kLoadTimeout);
    QVERIFY(started);
    QCOMPARE(m_f->browser->LocationURL(), next);
    QVERIFY(m_f->browser->Rules().scripts);
}

QTEST_MAIN(TestDocumentOnScreen)
#include "tst_DocumentOnScreen.moc"
