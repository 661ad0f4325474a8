// The browser control on the real engine: home page, downloads, commands, new windows, a crashed
// page process, and pages that misbehave (endless alerts, popups, huge URLs).

#include "BrowserFixture.h"
#include "TestHttpServer.h"

#include "platform/engine/EngineEnvironment.h"
#include "platform/engine/HomePage.h"
#include "platform/engine/HtmlDocument.h"
#include "platform/registry/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <csignal>

Q_DECLARE_METATYPE(Variant)

class TestWebBrowserFeatures final : public QObject {
    Q_OBJECT
public:
    static void initMain() { engine::PrepareEngineEnvironment(); }

private slots:
    void init() { m_f = std::make_unique<BrowserFixture>(); }
    void cleanup() { m_f.reset(); }
    void goHomeUsesTheStoredHomePage_data();
    void goHomeUsesTheStoredHomePage();
    void downloadsRaiseFileDownloadAndAskTheZone_data();
    void downloadsRaiseFileDownloadAndAskTheZone();
    void downloadKeepsTheStricterRulesOfTheCurrentPage();
    void snapshotOfAFramesetWithoutPageScripts();
    void editAndZoomCommands();
    void newWindowGoesToTheHostsBrowser();
    void navigate2InANewWindowAsksTheHost_data();
    void navigate2InANewWindowAsksTheHost();
    void crashedPageProcessIsReportedAndTheControlStaysUsable();
    void pageAlertingInALoop_data();
    void pageAlertingInALoop();
    void pageOpeningManyPopups();
    void hugeUrls_data();
    void hugeUrls();

private:
    QWebEnginePage *Page() const { return m_f->browser->findChild<QWebEnginePage *>(); }
    // Writes a page into a temporary directory and returns its URL.
    QString WritePage(const QByteArray &html) {
        QFile file(m_site.filePath(u"page%1.html"_qs.arg(++m_pages)));
        if (!file.open(QIODevice::WriteOnly) || file.write(html) != html.size())
            return QString();
        return QUrl::fromLocalFile(file.fileName()).toString();
    }
    void ClickTopLeft() {
        QWidget *view = m_f->browser->findChild<QWebEngineView *>()->focusProxy();
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(50, 50));
    }

    std::unique_ptr<BrowserFixture> m_f;
    QTemporaryDir m_site;
    int m_pages = 0;
};

void TestWebBrowserFeatures::goHomeUsesTheStoredHomePage_data() {
    QTest::addColumn<DWORD>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("expected");
    const QByteArray page = Fixture(u"scripts.html"_qs).toUtf8();
    QTest::newRow("stored page") << REG_SZ << QByteArray(page + '\0')
                                 << Fixture(u"scripts.html"_qs);
    QTest::newRow("nothing stored") << REG_NONE << QByteArray() << u"about:blank"_qs;
    QTest::newRow("empty text") << REG_SZ << QByteArray(1, '\0') << u"about:blank"_qs;
    QTest::newRow("not a string") << REG_DWORD << QByteArray(4, '\1') << u"about:blank"_qs;
}

void TestWebBrowserFeatures::goHomeUsesTheStoredHomePage() {
    QFETCH(DWORD, type);
    QFETCH(QByteArray, data);
    QFETCH(QString, expected);
    HKEY key = nullptr;
    QCOMPARE(RegCreateKeyExA(HKEY_CURRENT_USER, engine::kHomePageKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                             nullptr, &key, nullptr),
             ERROR_SUCCESS);
    RegDeleteValueA(key, engine::kHomePageValue);
    if (type != REG_NONE)
        QCOMPARE(RegSetValueExA(key, engine::kHomePageValue, 0, type,
                                reinterpret_cast<const BYTE *>(data.constData()),
                                static_cast<DWORD>(data.size())),
                 ERROR_SUCCESS);
    RegCloseKey(key);
    m_f->Load([&] { QCOMPARE(m_f->browser->GoHome(), S_OK); });
    QCOMPARE(m_f->browser->LocationURL(), expected);
}

void TestWebBrowserFeatures::downloadsRaiseFileDownloadAndAskTheZone_data() {
    QTest::addColumn<bool>("hostCancels");
    QTest::addColumn<bool>("zoneRefuses");
    QTest::newRow("allowed") << false << false;
    QTest::newRow("host cancels") << true << false;
    QTest::newRow("zone refuses") << false << true;
}

void TestWebBrowserFeatures::downloadsRaiseFileDownloadAndAskTheZone() {
    QFETCH(bool, hostCancels);
    QFETCH(bool, zoneRefuses);
    m_f->manager->deniedRestricted = {};
    if (zoneRefuses)
        m_f->manager->deniedRestricted = {URLACTION_SHELL_FILE_DOWNLOAD};
    TestHttpServer server;
    server.Serve("/restricted/file.bin", QByteArray(64, '\0'),
                 "Content-Type: application/octet-stream\r\n"
                 "Content-Disposition: attachment; filename=file.bin\r\n");
    int raised = 0;
    m_f->browser->OnFileDownload = [&](TWebBrowser *, bool activeDocument, bool &cancel) {
        ++raised;
        QVERIFY(!activeDocument);
        cancel = hostCancels;
    };
    QCOMPARE(m_f->browser->Navigate(server.Url(u"/restricted/file.bin"_qs)), S_OK);
    QTRY_COMPARE_WITH_TIMEOUT(raised, 1, kLoadTimeout);
    QCOMPARE(m_f->manager->WasAsked(URLACTION_SHELL_FILE_DOWNLOAD, u"file.bin"_qs), !hostCancels);
    QCOMPARE(m_f->WasBlocked(u"file.bin"_qs, URLACTION_SHELL_FILE_DOWNLOAD), zoneRefuses);
}

void TestWebBrowserFeatures::downloadKeepsTheStricterRulesOfTheCurrentPage() {
    QCOMPARE(m_f->LoadUrl(Fixture(u"restricted/scripts.html"_qs)), u"page"_qs);
    TestHttpServer server;
    server.Serve("/file.bin", QByteArray(64, '\0'),
                 "Content-Type: application/octet-stream\r\n"
                 "Content-Disposition: attachment; filename=file.bin\r\n");
    bool raised = false;
    bool finished = false;
    m_f->browser->OnFileDownload = [&](TWebBrowser *, bool, bool &) { raised = true; };
    m_f->browser->OnDownloadComplete = [&](TWebBrowser *) { finished = true; };
    const int completedBefore = m_f->completed;
    // The download's URL is in an allowed zone, but it never becomes the document.
    QCOMPARE(m_f->browser->Navigate(server.Url(u"/file.bin"_qs)), S_OK);
    QTRY_VERIFY_WITH_TIMEOUT(raised && finished, kLoadTimeout);
    QCOMPARE(m_f->completed, completedBefore); // no DocumentComplete: the document did not change
    QCOMPARE(m_f->browser->ReadyState(), READYSTATE_COMPLETE);
    QVERIFY(!m_f->browser->Rules().scripts);
    QVERIFY(!Page()->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled));
    QVERIFY(m_f->browser->LocationURL().endsWith(u"restricted/scripts.html"_qs));
}

void TestWebBrowserFeatures::snapshotOfAFramesetWithoutPageScripts() {
    TestHttpServer server;
    server.Serve("/other", "<title>other site</title>");
    const QDir dir(m_site.path());
    QVERIFY(dir.mkpath(u"restricted"_qs));
    struct File {
        QString name;
        QByteArray html;
        QDateTime modified;
    };
    const QDateTime old(QDate(2003, 1, 2), QTime(3, 4, 5), Qt::UTC);
    const QDateTime newer(QDate(2005, 6, 7), QTime(8, 9, 10), Qt::UTC);
    const QList<File> files{
        {u"restricted/top.html"_qs,
         ("<html><head><title>top</title></head><frameset cols='*,*,*'>"
          "<frame src='a.html'><frame src='b.html'><frame src='" +
          server.Url(u"/other"_qs).toUtf8() + "'></frameset></html>"),
         old},
        {u"restricted/a.html"_qs,
         "<html><head><meta charset='shift_jis'><title>a</title><script>var x;</script></head>"
         "<body bgcolor='#ff0000' style='color: blue'><a href='b.html'>b</a>"
         "<img src='../dot.png' alt='dot'><object classid='clsid:1234' codetype='x/y'>"
         "</object><applet code='A.class'></applet></body></html>",
         old},
        {u"restricted/b.html"_qs, "<html><head><title>b</title></head><body></body></html>", newer},
    };
    for (const File &f : files) {
        QFile file(dir.filePath(f.name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(f.html);
        QVERIFY(file.flush()); // before the time is set, or writing sets it again
        QVERIFY(file.setFileTime(f.modified, QFileDevice::FileModificationTime));
    }
    QVERIFY(
        QFile::copy(qEnvironmentVariable("QM_SOURCE_DIR") + u"/tests/fixtures/engine/dot.png"_qs,
                    dir.filePath(u"dot.png"_qs)));
    const auto engineDate = [](const QDateTime &t) {
        return t.toLocalTime().toString(u"MM/dd/yyyy hh:mm:ss"_qs);
    };

    QCOMPARE(m_f->LoadUrl(QUrl::fromLocalFile(dir.filePath(u"restricted/top.html"_qs)).toString()),
             u"top"_qs);
    // a.html, b.html, then the page; the other site's frame, which may not be read, is not told.
    QCOMPARE(m_f->completed, 3);
    QVERIFY(!m_f->browser->Rules().scripts);
    const engine::DocumentSnapshot &top = m_f->browser->Snapshot();
    QVERIFY(top.readable);
    QCOMPARE(top.url, m_f->browser->LocationURL());
    QCOMPARE(top.lastModified, engineDate(old));
    QCOMPARE(top.fileModifiedDate, old.toLocalTime().toString(u"MM/dd/yyyy"_qs));
    QCOMPARE(top.fileSize, QString::number(QFileInfo(dir.filePath(files[0].name)).size()));
    QCOMPARE(top.frames.size(), 3);

    const engine::DocumentSnapshot &a = top.frames[0];
    QVERIFY(a.readable);
    QCOMPARE(a.title, u"a"_qs);
    QCOMPARE(a.charset, u"Shift_JIS"_qs);
    QCOMPARE(a.bgColor, u"#ff0000"_qs);
    QCOMPARE(a.body.style, u"color: blue;"_qs);
    const ComPtr<engine::HtmlDocument> model = MakeComObject<engine::HtmlDocument>(a);
    QCOMPARE(model->Scripts()->Length(), 1);
    QCOMPARE(model->Links()->Length(), 1);
    QVERIFY(model->Links()->Item(0)->Snapshot().href.endsWith(u"/restricted/b.html"_qs));
    QCOMPARE(model->Images()->Length(), 1);
    const engine::ElementSnapshot &image = model->Images()->Item(0)->Snapshot();
    QCOMPARE(image.alt, u"dot"_qs);
    QVERIFY(image.complete);
    QCOMPARE(image.width, 1);
    const ComPtr<engine::HtmlCollection> applets = model->Applets();
    QCOMPARE(applets->Length(), 2);
    QCOMPARE(applets->Item(0)->Snapshot().classid, u"clsid:1234"_qs);
    QCOMPARE(applets->Item(0)->Snapshot().codetype, u"x/y"_qs);
    QCOMPARE(applets->Item(1)->Snapshot().tagName, u"APPLET"_qs);
    QCOMPARE(applets->Item(1)->Snapshot().code, u"A.class"_qs);

    QCOMPARE(top.frames[1].lastModified, engineDate(newer));
    QVERIFY(!top.frames[2].readable); // another site's document may not be read
}

void TestWebBrowserFeatures::editAndZoomCommands() {
    QCOMPARE(m_f->LoadUrl(Fixture(u"selectable.html"_qs)), u"text"_qs);
    TWebBrowser &b = *m_f->browser;
    DWORD status = 0;
    QCOMPARE(b.QueryStatusWB(OLECMDID_COPY, &status), S_OK);
    QCOMPARE(status, OLECMDF_SUPPORTED); // nothing selected
    QCOMPARE(b.ExecWB(OLECMDID_COPY, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr),
             OLECMDERR_E_DISABLED);
    QCOMPARE(b.ExecWB(OLECMDID_SELECTALL, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr), S_OK);
    QTRY_VERIFY_WITH_TIMEOUT(Page()->hasSelection(), kLoadTimeout);
    QCOMPARE(b.QueryStatusWB(OLECMDID_COPY, &status), S_OK);
    QCOMPARE(status, OLECMDF_SUPPORTED | OLECMDF_ENABLED);

    Variant level(LONG(4));
    Variant current;
    QCOMPARE(b.ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &level, &current), S_OK);
    QCOMPARE(current.ToI4(), std::optional<LONG>(4));
    QVERIFY(Page()->zoomFactor() > 1.0);
    Variant outOfRange(LONG(5));
    QCOMPARE(b.ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &outOfRange, nullptr),
             E_INVALIDARG);
    Variant range;
    QCOMPARE(b.ExecWB(OLECMDID_GETZOOMRANGE, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, &range), S_OK);
    QCOMPARE(range.ToI4(), std::optional<LONG>(4 << 16));
    QCOMPARE(b.QueryStatusWB(OLECMDID_SPELL, &status), OLECMDERR_E_NOTSUPPORTED);
    QCOMPARE(b.ExecWB(OLECMDID_SPELL, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr),
             OLECMDERR_E_NOTSUPPORTED);
}

void TestWebBrowserFeatures::newWindowGoesToTheHostsBrowser() {
    BrowserFixture other;
    QString requested;
    m_f->browser->OnNewWindow2 = [&](TWebBrowser *, const QString &url, const QRect &,
                                     TWebBrowser *&target, bool &) {
        requested = url;
        target = other.browser.get();
    };
    QCOMPARE(m_f->LoadUrl(Fixture(u"newwindow.html"_qs)), u"opener"_qs);
    QCOMPARE(other.Load([&] { ClickTopLeft(); }), u"page inline external"_qs);
    QVERIFY(requested.endsWith(u"/scripts.html"_qs));
    QCOMPARE(m_f->browser->LocationName(), u"opener"_qs);
}

void TestWebBrowserFeatures::navigate2InANewWindowAsksTheHost_data() {
    QTest::addColumn<bool>("handler");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<bool>("giveBrowser");
    QTest::addColumn<HRESULT>("expected");
    QTest::newRow("no handler") << false << false << false << E_FAIL;
    QTest::newRow("host gives no browser") << true << false << false << E_FAIL;
    QTest::newRow("host cancels") << true << true << false << S_OK;
    QTest::newRow("host gives a browser") << true << false << true << S_OK;
}

void TestWebBrowserFeatures::navigate2InANewWindowAsksTheHost() {
    QFETCH(bool, handler);
    QFETCH(bool, cancel);
    QFETCH(bool, giveBrowser);
    QFETCH(HRESULT, expected);
    BrowserFixture other;
    QStringList requested;
    if (handler) {
        m_f->browser->OnNewWindow2 = [&](TWebBrowser *, const QString &url, const QRect &,
                                         TWebBrowser *&target, bool &cancelled) {
            requested << url;
            cancelled = cancel;
            if (giveBrowser)
                target = other.browser.get();
        };
    }
    const QString url = Fixture(u"selectable.html"_qs);
    HRESULT hr = E_UNEXPECTED;
    const auto open = [&] { hr = m_f->browser->Navigate2(url, navOpenInNewWindow); };
    if (giveBrowser)
        QCOMPARE(other.Load(open), u"text"_qs);
    else
        open();
    QCOMPARE(hr, expected);
    QCOMPARE(requested, handler ? QStringList{url} : QStringList{});
    // The control itself does not navigate.
    QVERIFY(!m_f->browser->Busy());
    QCOMPARE(m_f->completed, 0);
    QCOMPARE(other.completed, giveBrowser ? 1 : 0);
}

void TestWebBrowserFeatures::crashedPageProcessIsReportedAndTheControlStaysUsable() {
    QCOMPARE(m_f->LoadUrl(Fixture(u"selectable.html"_qs)), u"text"_qs);
    QString status;
    m_f->browser->OnStatusTextChange = [&](TWebBrowser *, const QString &text) { status = text; };
    const qint64 pid = Page()->renderProcessPid();
    QVERIFY(pid > 0);
    QCOMPARE(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!status.isEmpty(), kLoadTimeout);
    QVERIFY(!m_f->browser->Busy());
    QCOMPARE(m_f->LoadUrl(Fixture(u"scripts.html"_qs)), u"page inline external"_qs);
}

void TestWebBrowserFeatures::pageAlertingInALoop_data() {
    QTest::addColumn<bool>("hostHandles");
    QTest::newRow("host shows them") << true;
    QTest::newRow("control shows its own box") << false;
}

void TestWebBrowserFeatures::pageAlertingInALoop() {
    QFETCH(bool, hostHandles);
    m_f->host->handleMessages = hostHandles;
    const QString url = WritePage("<title>t</title><script>for (let i = 0; i < 1000; ++i) "
                                  "alert('n' + i); document.title = 'done';</script>");
    QCOMPARE(m_f->LoadUrl(url), u"done"_qs);
    QCOMPARE(m_f->host->messages.size(), 1000);
    const QList<QMessageBox *> boxes = m_f->browser->findChildren<QMessageBox *>();
    QCOMPARE(boxes.size(), hostHandles ? 0 : 1);
    if (!hostHandles)
        QCOMPARE(boxes.first()->text(), u"n999"_qs);
}

void TestWebBrowserFeatures::pageOpeningManyPopups() {
    int newWindows = 0;
    m_f->browser->OnNewWindow2 = [&](TWebBrowser *, const QString &, const QRect &, TWebBrowser *&,
                                     bool &) { ++newWindows; };
    const QString url = WritePage("<title>t</title><script>for (let i = 0; i < 1000; ++i) "
                                  "window.open('about:blank'); document.title = 'done';</script>");
    QCOMPARE(m_f->LoadUrl(url), u"done"_qs);
    QCOMPARE(newWindows, 0);
    QCOMPARE(m_f->LoadUrl(Fixture(u"scripts.html"_qs)), u"page inline external"_qs);
}

void TestWebBrowserFeatures::hugeUrls_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<HRESULT>("result");
    QTest::newRow("1 MB") << (1 << 20) << S_OK;
    QTest::newRow("3 MB, beyond the engine's limit") << (3 << 20) << E_INVALIDARG;
}

void TestWebBrowserFeatures::hugeUrls() {
    QFETCH(int, length);
    QFETCH(HRESULT, result);
    const QString url = u"file:///nonexistent/"_qs + QString(length, u'a');
    if (result == S_OK)
        m_f->Load([&] { QCOMPARE(m_f->browser->Navigate(url), S_OK); });
    else
        QCOMPARE(m_f->browser->Navigate(url), result);
    QCOMPARE(m_f->LoadUrl(Fixture(u"scripts.html"_qs)), u"page inline external"_qs);
}

QTEST_MAIN(TestWebBrowserFeatures)
#include "tst_WebBrowserFeatures.moc"
