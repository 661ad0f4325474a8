// The browser control on the real engine, headless: event order, script and content rules decided
// by the host's zones before each document loads, the offline state, page message boxes.

#include "BrowserFixture.h"
#include "TestHttpServer.h"

#include "platform/engine/EngineEnvironment.h"
#include "platform/engine/WebBrowser.h"
#include "platform/wininet/WinInet.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <QtTest>

class TestWebBrowser final : public QObject {
    Q_OBJECT
public:
    static void initMain() { engine::PrepareEngineEnvironment(); }

private slots:
    void init();
    void cleanup();
    void eventOrderOfAPageLoad();
    void framesCompleteBeforeTheirPage();
    void scriptsFollowTheZone_data();
    void scriptsFollowTheZone();
    void rulesHoldThroughLinksHistoryAndReload();
    void frameWithStricterZoneIsBlocked();
    void contentRefusedByZoneIsBlockedAndReported();
    void offlineMakesNoRequests_data();
    void offlineMakesNoRequests();
    void messageBoxesReachTheHost();
    void metaRefreshFollowsTheZone_data();
    void metaRefreshFollowsTheZone();
    void userAgentIsReadAgainOnChange();
    void cookiesFollowTheZone_data();
    void cookiesFollowTheZone();

private:
    // Clicks where the fixtures put their link, as a user would.
    void ClickTopLeft() {
        QWidget *view = m_f->browser->findChild<QWebEngineView *>()->focusProxy();
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(50, 50));
    }

    std::unique_ptr<BrowserFixture> m_f;
};

void TestWebBrowser::init() {
    m_f = std::make_unique<BrowserFixture>();
}

void TestWebBrowser::cleanup() {
    m_f.reset();
}

void TestWebBrowser::eventOrderOfAPageLoad() {
    QStringList events;
    IDispatch *top = m_f->browser->Application();
    bool topLevelOnly = true;
    const auto mark = [&](IDispatch *pDisp) { topLevelOnly = topLevelOnly && pDisp == top; };
    m_f->browser->OnBeforeNavigate2 = [&](TWebBrowser *, IDispatch *pDisp, const QString &, LONG,
                                          const QString &, const QByteArray &, const QString &,
                                          bool &) {
        mark(pDisp);
        events << u"BeforeNavigate2"_qs;
    };
    m_f->browser->OnNavigateComplete2 = [&](TWebBrowser *, IDispatch *pDisp, const QString &) {
        mark(pDisp);
        events << u"NavigateComplete2"_qs;
    };
    m_f->browser->OnTitleChange = [&](TWebBrowser *, const QString &) {
        events << u"TitleChange"_qs;
    };
    m_f->browser->OnProgressChange = [&](TWebBrowser *, LONG, LONG) {
        events << u"ProgressChange"_qs;
    };
    LONG readyStateAtComplete = -1;
    m_f->browser->OnDocumentComplete = [&](TWebBrowser *sender, IDispatch *pDisp, const QString &) {
        mark(pDisp);
        readyStateAtComplete = sender->ReadyState();
        events << u"DocumentComplete"_qs;
        ++m_f->completed;
    };
    QCOMPARE(m_f->LoadUrl(Fixture(u"scripts.html"_qs)), u"page inline external"_qs);

    QVERIFY(events.size() >= 5);
    QCOMPARE(events.first(), u"BeforeNavigate2"_qs);
    QCOMPARE(events.count(u"BeforeNavigate2"_qs), 1);
    QCOMPARE(events.count(u"NavigateComplete2"_qs), 1);
    QCOMPARE(events.count(u"DocumentComplete"_qs), 1);
    QCOMPARE(events.last(), u"DocumentComplete"_qs);
    // Navigation completes when the document commits, before it reports anything: its title
    // and the load's last progress come after.
    const qsizetype navigated = events.indexOf(u"NavigateComplete2"_qs);
    const qsizetype titled = events.indexOf(u"TitleChange"_qs);
    QVERIFY(navigated > 0);
    QVERIFY(titled > navigated);
    QVERIFY(events.lastIndexOf(u"ProgressChange"_qs) > titled);
    QCOMPARE(readyStateAtComplete, READYSTATE_COMPLETE);
    QVERIFY(topLevelOnly);
    QVERIFY(!m_f->browser->Busy());
}

void TestWebBrowser::scriptsFollowTheZone_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<DWORD>("downloadControl");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("zoneAsked");
    QTest::newRow("allowed zone") << u"scripts.html"_qs << DLCTL_DEFAULT
                                  << u"page inline external"_qs << true;
    QTest::newRow("zone disallows script")
        << u"restricted/scripts.html"_qs << DLCTL_DEFAULT << u"page"_qs << true;
    QTest::newRow("host says no scripts")
        << u"scripts.html"_qs << (DLCTL_DEFAULT | DLCTL_NO_SCRIPTS) << u"page"_qs << false;
}

void TestWebBrowser::scriptsFollowTheZone() {
    QFETCH(QString, page);
    QFETCH(DWORD, downloadControl);
    QFETCH(QString, title);
    QFETCH(bool, zoneAsked);
    m_f->host->downloadControl = downloadControl;
    QCOMPARE(m_f->browser->OnAmbientPropertyChange(DISPID_AMBIENT_DLCONTROL), S_OK);
    QCOMPARE(m_f->LoadUrl(Fixture(page)), title);
    QCOMPARE(
        m_f->manager->WasAsked(URLACTION_SCRIPT_RUN, page, FakeSecurityManager::Asked::Decided),
        zoneAsked);
}

void TestWebBrowser::framesCompleteBeforeTheirPage() {
    struct Completed {
        QString url;
        bool topLevel;
        LONG readyState;
        QString windowDocument; // the URL of pDisp's document, when pDisp is a frame's window
    };
    QList<Completed> completed;
    m_f->browser->OnDocumentComplete = [&](TWebBrowser *b, IDispatch *pDisp, const QString &url) {
        ++m_f->completed;
        Completed c{url, pDisp == b->Application(), b->ReadyState(), {}};
        ComPtr<engine::IHTMLWindow2> window;
        if (pDisp->QueryInterface(engine::IHTMLWindow2::iid,
                                  reinterpret_cast<void **>(window.ReleaseAndGetAddressOf())) ==
            S_OK) {
            ComPtr<engine::HtmlDocument> document;
            if (static_cast<engine::HtmlWindow *>(window.Get())->Document(&document) == S_OK)
                c.windowDocument = document->TextProperty("URL");
        }
        completed << c;
    };
    QCOMPARE(m_f->LoadUrl(Fixture(u"model/top.html"_qs)), u"nested"_qs);
    const QStringList expected{u"leaf.html?a"_qs, u"leaf.html?b"_qs, u"leaf.html?c"_qs,
                               u"inner.html"_qs, u"top.html"_qs};
    QCOMPARE(completed.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const Completed &c = completed[i];
        const bool top = i == expected.size() - 1;
        QVERIFY2(c.url.endsWith(expected[i]), qPrintable(c.url));
        QCOMPARE(c.topLevel, top);
        // The whole page is complete only when the page itself reports.
        QCOMPARE(c.readyState, top ? READYSTATE_COMPLETE : READYSTATE_INTERACTIVE);
        if (!top)
            QCOMPARE(c.windowDocument, c.url);
    }
    QCOMPARE(m_f->browser->ReadyState(), READYSTATE_COMPLETE);
}

void TestWebBrowser::rulesHoldThroughLinksHistoryAndReload() {
    const QString allowed = u"page inline external"_qs;
    const QString none = u"page"_qs;
    QCOMPARE(m_f->LoadUrl(Fixture(u"scripts.html"_qs)), allowed);
    // A user's click on a link from the allowed page to the disallowed one, and its link back.
    QCOMPARE(m_f->Load([&] { ClickTopLeft(); }), none);
    QCOMPARE(m_f->Load([&] { QCOMPARE(m_f->browser->GoBack(), S_OK); }), allowed);
    QCOMPARE(m_f->Load([&] { QCOMPARE(m_f->browser->GoForward(), S_OK); }), none);
    QCOMPARE(m_f->Load([&] { QCOMPARE(m_f->browser->Refresh(), S_OK); }), none);
    QCOMPARE(m_f->Load([&] { ClickTopLeft(); }), allowed);
    QCOMPARE(m_f->Load([&] { QCOMPARE(m_f->browser->Refresh2(REFRESH_COMPLETELY), S_OK); }),
             allowed);
    QCOMPARE(m_f->Load([&] { QCOMPARE(m_f->browser->GoBack(), S_OK); }), none);
    QCOMPARE(m_f->Load([&] { QCOMPARE(m_f->browser->GoBack(), S_OK); }), allowed);
}

void TestWebBrowser::frameWithStricterZoneIsBlocked() {
    // The page runs scripts; the restricted frame may not, so it must not load at all.
    QList<IDispatch *> frameEvents;
    m_f->browser->OnBeforeNavigate2 = [&](TWebBrowser *sender, IDispatch *pDisp, const QString &,
                                          LONG, const QString &, const QByteArray &,
                                          const QString &, bool &) {
        if (pDisp != sender->Application())
            frameEvents.append(pDisp);
    };
    QCOMPARE(m_f->LoadUrl(Fixture(u"frames.html"_qs)), u"frames frame-ran"_qs);
    QCOMPARE(frameEvents.size(), 1); // the frame that loaded, told apart from the top level
    QVERIFY(frameEvents[0] != nullptr);
    QCOMPARE(m_f->blocked.size(), 1);
    QVERIFY(m_f->blocked[0].first.endsWith(u"/restricted/frame.html"_qs));
    QCOMPARE(m_f->blocked[0].second, URLACTION_SCRIPT_RUN);
}

void TestWebBrowser::contentRefusedByZoneIsBlockedAndReported() {
    // A restricted copy of the content page: objects, fonts and frames refused by its zone.
    QTemporaryDir site;
    QVERIFY(site.isValid());
    QVERIFY(QDir(site.path()).mkpath(u"restricted"_qs));
    const QString source = qEnvironmentVariable("QM_SOURCE_DIR") + u"/tests/fixtures/engine/"_qs;
    for (const QString &name :
         {u"content.html"_qs, u"dot.png"_qs, u"font.woff"_qs, u"movie.swf"_qs})
        QVERIFY(QFile::copy(source + name, site.filePath(u"restricted/"_qs + name)));
    m_f->manager->deniedRestricted = {URLACTION_ACTIVEX_RUN, URLACTION_HTML_FONT_DOWNLOAD};
    m_f->host->downloadControl = DLCTL_VIDEOS; // no images
    m_f->browser->OnAmbientPropertyChange(DISPID_AMBIENT_DLCONTROL);

    QCOMPARE(
        m_f->LoadUrl(QUrl::fromLocalFile(site.filePath(u"restricted/content.html"_qs)).toString()),
        u"content"_qs);
    // Images and objects are refused before the engine even asks for them; the font is stopped
    // at the request. None of them reached the engine as let through.
    QVERIFY(!m_f->browser->Rules().images);
    QVERIFY(!m_f->browser->Rules().objects);
    QVERIFY(m_f->browser->Rules().scripts);
    QVERIFY(m_f->manager->WasAsked(URLACTION_ACTIVEX_RUN, u"restricted/content.html"_qs));
    QVERIFY(m_f->manager->WasAsked(URLACTION_HTML_FONT_DOWNLOAD, u"restricted/content.html"_qs));
    QMap<QString, DWORD> byFile;
    for (const auto &[url, action] : m_f->blocked)
        byFile.insert(QUrl(url).fileName(), action);
    QCOMPARE(byFile.value(u"font.woff"_qs, 0xFFFF), URLACTION_HTML_FONT_DOWNLOAD);
    QCOMPARE(byFile.value(u"movie.swf"_qs, URLACTION_ACTIVEX_RUN), URLACTION_ACTIVEX_RUN);
    QCOMPARE(byFile.value(u"dot.png"_qs, 0), DWORD(0));
}

void TestWebBrowser::offlineMakesNoRequests_data() {
    QTest::addColumn<QString>("offline");
    QTest::newRow("online") << u"none"_qs;
    QTest::newRow("control property") << u"property"_qs;
    QTest::newRow("host forces offline") << u"dlctl"_qs;
    QTest::newRow("global state") << u"global"_qs;
}

void TestWebBrowser::offlineMakesNoRequests() {
    QFETCH(QString, offline);
    TestHttpServer server;
    QVERIFY(server.IsListening());
    const QString base = server.Url(u"/"_qs);
    QTemporaryDir site;
    QFile page(site.filePath(u"remote.html"_qs));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write((u"<html><head><title>remote</title><link rel=stylesheet href='%1s.css'>"
                "<script src='%1s.js'></script></head><body><img src='%1i.png'></body></html>"_qs)
                   .arg(base)
                   .toUtf8());
    page.close();

    INTERNET_CONNECTED_INFO info{INTERNET_STATE_CONNECTED, 0};
    if (offline == u"property"_qs)
        m_f->browser->SetOffline(true);
    else if (offline == u"dlctl"_qs)
        m_f->host->downloadControl = DLCTL_DEFAULT | DLCTL_FORCEOFFLINE;
    else if (offline == u"global"_qs)
        info = {INTERNET_STATE_DISCONNECTED_BY_USER, 0};
    QVERIFY(InternetSetOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, &info, sizeof info));
    m_f->browser->OnAmbientPropertyChange(DISPID_AMBIENT_DLCONTROL);

    QCOMPARE(m_f->LoadUrl(QUrl::fromLocalFile(page.fileName()).toString()), u"remote"_qs);
    if (offline == u"none"_qs) {
        QTRY_VERIFY_WITH_TIMEOUT(server.connections > 0, kLoadTimeout); // the server is reachable
    } else {
        QCOMPARE(server.connections, 0);
        QVERIFY(!m_f->blocked.isEmpty());
    }
}

void TestWebBrowser::messageBoxesReachTheHost() {
    // prompt goes to the host as an OK/Cancel box too; OK answers the page's default text.
    for (const LRESULT answer : {IDOK, IDCANCEL}) {
        m_f->host->messages.clear();
        m_f->host->confirmAnswer = answer;
        QCOMPARE(m_f->LoadUrl(Fixture(u"messages.html"_qs)),
                 answer == IDOK ? u"confirmed default"_qs : u"declined null"_qs);
        const QList<ShownMessage> &shown = m_f->host->messages;
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown[0].text, u"hello"_qs);
        QCOMPARE(shown[0].type & MB_TYPEMASK, MB_OK);
        QCOMPARE(shown[1].text, u"sure?"_qs);
        QCOMPARE(shown[1].type & MB_TYPEMASK, MB_OKCANCEL);
        QCOMPARE(shown[2].text, u"name?"_qs);
        QCOMPARE(shown[2].type & MB_TYPEMASK, MB_OKCANCEL);
    }
}

void TestWebBrowser::metaRefreshFollowsTheZone_data() {
    QTest::addColumn<bool>("zoneRefuses");
    QTest::addColumn<DWORD>("downloadControl");
    QTest::addColumn<bool>("refreshes");
    QTest::newRow("allowed") << false << DLCTL_DEFAULT << true;
    QTest::newRow("zone refuses meta refresh") << true << DLCTL_DEFAULT << false;
    QTest::newRow("host refuses client pull")
        << false << (DLCTL_DEFAULT | DLCTL_NO_CLIENTPULL) << false;
}

void TestWebBrowser::metaRefreshFollowsTheZone() {
    QFETCH(bool, zoneRefuses);
    QFETCH(DWORD, downloadControl);
    QFETCH(bool, refreshes);
    m_f->manager->deniedRestricted = {URLACTION_SCRIPT_RUN};
    if (zoneRefuses)
        m_f->manager->deniedRestricted.insert(URLACTION_HTML_META_REFRESH);
    m_f->SetDownloadControl(downloadControl);
    QStringList completed;
    m_f->browser->OnDocumentComplete = [&](TWebBrowser *, IDispatch *, const QString &url) {
        completed << QUrl(url).fileName();
    };
    QCOMPARE(m_f->browser->Navigate(Fixture(u"restricted/refresh.html"_qs)), S_OK);
    if (refreshes) {
        QTRY_COMPARE_WITH_TIMEOUT(completed, (QStringList{u"refresh.html"_qs, u"scripts.html"_qs}),
                                  kLoadTimeout);
        QCOMPARE(m_f->browser->LocationName(), u"page inline external"_qs);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(m_f->WasBlocked(u"/scripts.html"_qs, URLACTION_HTML_META_REFRESH),
                                 kLoadTimeout);
        QCOMPARE(m_f->browser->LocationName(), u"refresh"_qs);
        // The refused navigation completes nothing: the next document's event comes next.
        QCOMPARE(m_f->browser->Navigate(Fixture(u"scripts.html"_qs)), S_OK);
        QTRY_COMPARE_WITH_TIMEOUT(completed, (QStringList{u"refresh.html"_qs, u"scripts.html"_qs}),
                                  kLoadTimeout);
    }
}

void TestWebBrowser::userAgentIsReadAgainOnChange() {
    TestHttpServer server;
    server.Serve("/page", "<title>ua</title>");
    const auto lastAgent = [&] { return server.requests.last().userAgent; };
    QCOMPARE(m_f->LoadUrl(server.Url(u"/page"_qs)), u"ua"_qs);
    QCOMPARE(lastAgent(), QByteArray("QuillmereTest/1.0"));
    // A change takes effect only once the host says so.
    m_f->host->userAgent = "Changed/2.0";
    QCOMPARE(m_f->LoadUrl(server.Url(u"/page"_qs)), u"ua"_qs);
    QCOMPARE(lastAgent(), QByteArray("QuillmereTest/1.0"));
    QCOMPARE(m_f->browser->OnAmbientPropertyChange(DISPID_AMBIENT_USERAGENT), S_OK);
    QCOMPARE(m_f->LoadUrl(server.Url(u"/page"_qs)), u"ua"_qs);
    QCOMPARE(lastAgent(), QByteArray("Changed/2.0"));
    // An empty agent gives the engine's own back.
    m_f->host->userAgent.clear();
    m_f->browser->OnAmbientPropertyChange(DISPID_AMBIENT_USERAGENT);
    QCOMPARE(m_f->LoadUrl(server.Url(u"/page"_qs)), u"ua"_qs);
    QVERIFY(lastAgent().contains("Mozilla"));
}

void TestWebBrowser::cookiesFollowTheZone_data() {
    QTest::addColumn<bool>("refused");
    QTest::newRow("allowed") << false;
    QTest::newRow("zone refuses cookies") << true;
}

void TestWebBrowser::cookiesFollowTheZone() {
    QFETCH(bool, refused);
    m_f->manager->deniedRestricted = {};
    if (refused)
        m_f->manager->deniedRestricted = {URLACTION_COOKIES, URLACTION_COOKIES_SESSION};
    TestHttpServer server;
    QVERIFY(server.IsListening());
    server.Serve("/restricted/set", "<title>set</title>",
                 "Content-Type: text/html\r\nSet-Cookie: visit=1; Path=/\r\n");
    server.Serve("/restricted/check", "<title>check</title>");
    QCOMPARE(m_f->LoadUrl(server.Url(u"/restricted/set"_qs)), u"set"_qs);
    QCOMPARE(m_f->LoadUrl(server.Url(u"/restricted/check"_qs)), u"check"_qs);
    QVERIFY(m_f->manager->WasAsked(URLACTION_COOKIES, u"/restricted/set"_qs));
    QByteArray sent = "<none>";
    for (const HttpRequest &request : server.requests) {
        if (request.path == "/restricted/check")
            sent = request.cookie;
    }
    QCOMPARE(sent, refused ? QByteArray() : QByteArray("visit=1"));
}

QTEST_MAIN(TestWebBrowser)
#include "tst_WebBrowser.moc"
