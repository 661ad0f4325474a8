// The browser control on the real engine, headless: event order, script and content rules decided
// by the host's zones before each document loads, the offline state, page message boxes.

#include "FakeHost.h"

#include "platform/engine/EngineEnvironment.h"
#include "platform/engine/WebBrowser.h"
#include "platform/wininet/WinInet.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <QtTest>

namespace {

constexpr int kLoadTimeout = 20000;

QString Fixture(const QString &name) {
    return QUrl::fromLocalFile(qEnvironmentVariable("QM_SOURCE_DIR") +
                               u"/tests/fixtures/engine/"_qs + name)
        .toString();
}

} // namespace

class TestWebBrowser final : public QObject {
    Q_OBJECT
public:
    static void initMain() { engine::PrepareEngineEnvironment(); }

private slots:
    void init();
    void cleanup();
    void eventOrderOfAPageLoad();
    void scriptsFollowTheZone_data();
    void scriptsFollowTheZone();
    void rulesHoldThroughLinksHistoryAndReload();
    void frameWithStricterZoneIsBlocked();
    void contentRefusedByZoneIsBlockedAndReported();
    void offlineMakesNoRequests_data();
    void offlineMakesNoRequests();
    void messageBoxesReachTheHost();

private:
    // Navigates and waits for DocumentComplete; returns the page title.
    QString Load(const std::function<void()> &start);
    QString LoadUrl(const QString &url) {
        return Load([&] { QCOMPARE(m_browser->Navigate(url), S_OK); });
    }

    // Clicks where the fixtures put their link, as a user would.
    void ClickTopLeft() {
        QWidget *view = m_browser->findChild<QWebEngineView *>()->focusProxy();
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(50, 50));
    }

    QTemporaryDir m_platformDir;
    ComPtr<FakeSecurityManager> m_manager;
    ComPtr<FakeHost> m_host;
    std::unique_ptr<TWebBrowser> m_browser;
    QList<QPair<QString, DWORD>> m_blocked;
    int m_completed = 0;
};

void TestWebBrowser::init() {
    QVERIFY(m_platformDir.isValid());
    qputenv("QUILLMERE_PLATFORM_DIR", m_platformDir.path().toUtf8());
    m_manager = MakeComObject<FakeSecurityManager>();
    m_host = MakeComObject<FakeHost>(m_manager);
    m_browser = std::make_unique<TWebBrowser>();
    m_browser->resize(400, 300);
    m_browser->show();
    m_browser->SetClientSite(static_cast<IDocHostShowUI *>(m_host.Get()));
    m_blocked.clear();
    m_completed = 0;
    m_browser->OnDocumentComplete = [this](TWebBrowser *, IDispatch *, const QString &) {
        ++m_completed;
    };
    m_browser->OnContentBlocked = [this](TWebBrowser *, const QString &url, DWORD action) {
        m_blocked.append({url, action});
    };
}

void TestWebBrowser::cleanup() {
    m_browser.reset();
    m_host.Reset();
    m_manager.Reset();
}

QString TestWebBrowser::Load(const std::function<void()> &start) {
    const int before = m_completed;
    start();
    if (!QTest::qWaitFor([&] { return m_completed > before; }, kLoadTimeout))
        return u"<no DocumentComplete>"_qs;
    return m_browser->LocationName();
}

void TestWebBrowser::eventOrderOfAPageLoad() {
    QStringList events;
    IDispatch *top = m_browser->Application();
    bool topLevelOnly = true;
    const auto mark = [&](IDispatch *pDisp) { topLevelOnly = topLevelOnly && pDisp == top; };
    m_browser->OnBeforeNavigate2 = [&](TWebBrowser *, IDispatch *pDisp, const QString &, LONG,
                                       const QString &, const QByteArray &, const QString &,
                                       bool &) {
        mark(pDisp);
        events << u"BeforeNavigate2"_qs;
    };
    m_browser->OnNavigateComplete2 = [&](TWebBrowser *, IDispatch *pDisp, const QString &) {
        mark(pDisp);
        events << u"NavigateComplete2"_qs;
    };
    m_browser->OnTitleChange = [&](TWebBrowser *, const QString &) { events << u"TitleChange"_qs; };
    m_browser->OnProgressChange = [&](TWebBrowser *, LONG, LONG) {
        events << u"ProgressChange"_qs;
    };
    LONG readyStateAtComplete = -1;
    m_browser->OnDocumentComplete = [&](TWebBrowser *sender, IDispatch *pDisp, const QString &) {
        mark(pDisp);
        readyStateAtComplete = sender->ReadyState();
        events << u"DocumentComplete"_qs;
        ++m_completed;
    };
    QCOMPARE(LoadUrl(Fixture(u"scripts.html"_qs)), u"page inline external"_qs);

    QVERIFY(events.size() >= 5);
    QCOMPARE(events.first(), u"BeforeNavigate2"_qs);
    QCOMPARE(events.count(u"BeforeNavigate2"_qs), 1);
    QCOMPARE(events.count(u"NavigateComplete2"_qs), 1);
    QCOMPARE(events.count(u"DocumentComplete"_qs), 1);
    QCOMPARE(events.last(), u"DocumentComplete"_qs);
    // Navigation completes before the document reports anything; its title arrives before the
    // load's last progress.
    const qsizetype navigated = events.indexOf(u"NavigateComplete2"_qs);
    const qsizetype titled = events.indexOf(u"TitleChange"_qs);
    QVERIFY(navigated > 0);
    QVERIFY(titled > navigated);
    QVERIFY(events.indexOf(u"ProgressChange"_qs) > navigated);
    QVERIFY(events.lastIndexOf(u"ProgressChange"_qs) > titled);
    QCOMPARE(readyStateAtComplete, READYSTATE_COMPLETE);
    QVERIFY(topLevelOnly);
    QVERIFY(!m_browser->Busy());
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
    m_host->downloadControl = downloadControl;
    QCOMPARE(m_browser->OnAmbientPropertyChange(DISPID_AMBIENT_DLCONTROL), S_OK);
    QCOMPARE(LoadUrl(Fixture(page)), title);
    QCOMPARE(m_manager->WasAsked(URLACTION_SCRIPT_RUN, page), zoneAsked);
}

void TestWebBrowser::rulesHoldThroughLinksHistoryAndReload() {
    const QString allowed = u"page inline external"_qs;
    const QString none = u"page"_qs;
    QCOMPARE(LoadUrl(Fixture(u"scripts.html"_qs)), allowed);
    // A user's click on a link from the allowed page to the disallowed one, and its link back.
    QCOMPARE(Load([&] { ClickTopLeft(); }), none);
    QCOMPARE(Load([&] { QCOMPARE(m_browser->GoBack(), S_OK); }), allowed);
    QCOMPARE(Load([&] { QCOMPARE(m_browser->GoForward(), S_OK); }), none);
    QCOMPARE(Load([&] { QCOMPARE(m_browser->Refresh(), S_OK); }), none);
    QCOMPARE(Load([&] { ClickTopLeft(); }), allowed);
    QCOMPARE(Load([&] { QCOMPARE(m_browser->Refresh2(REFRESH_COMPLETELY), S_OK); }), allowed);
    QCOMPARE(Load([&] { QCOMPARE(m_browser->GoBack(), S_OK); }), none);
    QCOMPARE(Load([&] { QCOMPARE(m_browser->GoBack(), S_OK); }), allowed);
}

void TestWebBrowser::frameWithStricterZoneIsBlocked() {
    // The page runs scripts; the restricted frame may not, so it must not load at all.
    QCOMPARE(LoadUrl(Fixture(u"frames.html"_qs)), u"frames frame-ran"_qs);
    QCOMPARE(m_blocked.size(), 1);
    QVERIFY(m_blocked[0].first.endsWith(u"/restricted/frame.html"_qs));
    QCOMPARE(m_blocked[0].second, URLACTION_SCRIPT_RUN);
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
    m_manager->deniedRestricted = {URLACTION_ACTIVEX_RUN, URLACTION_HTML_FONT_DOWNLOAD};
    m_host->downloadControl = DLCTL_VIDEOS; // no images
    m_browser->OnAmbientPropertyChange(DISPID_AMBIENT_DLCONTROL);

    QCOMPARE(LoadUrl(QUrl::fromLocalFile(site.filePath(u"restricted/content.html"_qs)).toString()),
             u"content"_qs);
    // Images and objects are refused before the engine even asks for them; the font is stopped
    // at the request. None of them reached the engine as let through.
    QVERIFY(!m_browser->Rules().images);
    QVERIFY(!m_browser->Rules().objects);
    QVERIFY(m_browser->Rules().scripts);
    QVERIFY(m_manager->WasAsked(URLACTION_ACTIVEX_RUN, u"restricted/content.html"_qs));
    QVERIFY(m_manager->WasAsked(URLACTION_HTML_FONT_DOWNLOAD, u"restricted/content.html"_qs));
    QMap<QString, DWORD> byFile;
    for (const auto &[url, action] : m_blocked)
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
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    int connections = 0;
    connect(&server, &QTcpServer::newConnection, &server, [&] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            ++connections;
            socket->write(
                "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
        }
    });
    const QString base = u"http://127.0.0.1:%1/"_qs.arg(server.serverPort());
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
        m_browser->SetOffline(true);
    else if (offline == u"dlctl"_qs)
        m_host->downloadControl = DLCTL_DEFAULT | DLCTL_FORCEOFFLINE;
    else if (offline == u"global"_qs)
        info = {INTERNET_STATE_DISCONNECTED_BY_USER, 0};
    QVERIFY(InternetSetOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, &info, sizeof info));
    m_browser->OnAmbientPropertyChange(DISPID_AMBIENT_DLCONTROL);

    QCOMPARE(LoadUrl(QUrl::fromLocalFile(page.fileName()).toString()), u"remote"_qs);
    if (offline == u"none"_qs) {
        QTRY_VERIFY_WITH_TIMEOUT(connections > 0, kLoadTimeout); // the server is reachable
    } else {
        QCOMPARE(connections, 0);
        QVERIFY(!m_blocked.isEmpty());
    }
}

void TestWebBrowser::messageBoxesReachTheHost() {
    for (const LRESULT answer : {IDOK, IDCANCEL}) {
        m_host->messages.clear();
        m_host->confirmAnswer = answer;
        QCOMPARE(LoadUrl(Fixture(u"messages.html"_qs)),
                 answer == IDOK ? u"confirmed"_qs : u"declined"_qs);
        QCOMPARE(m_host->messages.size(), 2);
        QCOMPARE(m_host->messages[0].text, u"hello"_qs);
        QCOMPARE(m_host->messages[0].type & MB_TYPEMASK, MB_OK);
        QCOMPARE(m_host->messages[1].text, u"sure?"_qs);
        QCOMPARE(m_host->messages[1].type & MB_TYPEMASK, MB_OKCANCEL);
    }
}

QTEST_MAIN(TestWebBrowser)
#include "tst_WebBrowser.moc"
