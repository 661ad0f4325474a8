// The status bar's security categories through the real window and the real engine: a page
// lights the categories of the content it met, nothing else, and panel 1's hint names them.

#include "../platform/engine/TestHttpServer.h"

#include "app/Main.h"
#include "app/MainUnit.h"
#include "app/StatusPanels.h"
#include "host/WebBrowserSecure.h"
#include "options/appoption.h"
#include "platform/engine/EngineEnvironment.h"
#include "tests/support/FixtureSite.h"
#include "tests/support/FreshPlatformDir.h"

#include <QHelpEvent>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <QtTest>

#include <memory>

namespace {

constexpr int kLoadTimeout = 20000;

} // namespace

class TestSecurityCategories final : public QObject {
    Q_OBJECT
public:
    static void initMain() { engine::PrepareEngineEnvironment(); }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup() { FForm.reset(); }
    void categoriesOfWhatThePageMet_data();
    void categoriesOfWhatThePageMet();

private:
    // The hint of status panel 1, as the window answers a tooltip request over it.
    QString CategoriesHint() {
        const QPoint at(130, FForm->StatusBar1->height() / 2);
        QHelpEvent event(QEvent::ToolTip, at, FForm->StatusBar1->mapToGlobal(at));
        QApplication::sendEvent(FForm->StatusBar1, &event);
        return FForm->StatusBar1->toolTip();
    }

    FreshPlatformDir FPlatform;
    QTemporaryDir FSite;
    QTemporaryDir FDownloads;
    TestHttpServer FServer;
    std::unique_ptr<TForm1> FForm;
};

void TestSecurityCategories::initTestCase() {
    QVERIFY(FPlatform.isValid() && FSite.isValid() && FDownloads.isValid());
    QVERIFY(FServer.IsListening());
    appoption::Initialize();
    InitializeMainUnit();
    const QList<std::pair<QString, QByteArray>> files{
        {u"text.html"_qs, "<title>t</title><p>text only</p>"},
        {u"script.html"_qs, "<title>t</title><script src='a.js'></script>"},
        {u"a.js"_qs, "var a = 1;"},
        {u"applet.html"_qs, "<title>t</title><applet code='A.class' width=10 height=10></applet>"},
        {u"object.html"_qs,
         "<title>t</title><object classid='clsid:D27CDB6E-AE6D-11CF-96B8-444553540000'></object>"},
        {u"frame.html"_qs, "<title>t</title><iframe src='text.html'></iframe>"},
        {u"download.html"_qs,
         "<title>t</title><a href='file.bin' download style='position:absolute;left:0;top:0;"
         "width:300px;height:200px;display:block'>file</a>"},
        {u"file.bin"_qs, QByteArray(64, 'x')},
    };
    for (const auto &[name, content] : files)
        QVERIFY(WriteFile(FSite.filePath(name), content));
    FServer.Serve("/cookie", "<title>t</title>",
                  "Content-Type: text/html\r\nSet-Cookie: visit=1; Path=/\r\n");
    FServer.Serve("/script-cookie", "<title>t</title><script src='/a.js'></script>",
                  "Content-Type: text/html\r\nSet-Cookie: seen=1; Path=/\r\n");
    FServer.Serve("/a.js", "var a = 1;", "Content-Type: text/javascript\r\n");
}

void TestSecurityCategories::cleanupTestCase() {
    FinalizeMainUnit();
    appoption::Finalize();
}

void TestSecurityCategories::init() {
    FForm = std::make_unique<TForm1>();
    FForm->FormCreate({}, true);
    FForm->resize(TForm1::LayoutWidth, TForm1::LayoutHeight);
    FForm->BrowserHost->SetDownloadDirectory(FDownloads.path());
    FForm->show();
    QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
}

void TestSecurityCategories::categoriesOfWhatThePageMet_data() {
    QTest::addColumn<QString>("page"); // a file of the site, or a path of the server
    QTest::addColumn<bool>("click");
    QTest::addColumn<QString>("hint");
    QTest::newRow("text only") << u"text.html"_qs << false << u"セキュリティ項目"_qs;
    QTest::newRow("a missing file (the engine's error page)")
        << u"missing.html"_qs << false << u"セキュリティ項目"_qs;
    QTest::newRow("one external script")
        << u"script.html"_qs << false << u"セキュリティ項目スクリプト"_qs;
    QTest::newRow("an applet") << u"applet.html"_qs << false << u"セキュリティ項目Java"_qs;
    QTest::newRow("an object with a class id")
        << u"object.html"_qs << false << u"セキュリティ項目ActiveX"_qs;
    QTest::newRow("a cookie") << u"/cookie"_qs << false << u"セキュリティ項目Cookie"_qs;
    QTest::newRow("a script and a cookie")
        << u"/script-cookie"_qs << false << u"セキュリティ項目スクリプトCookie"_qs;
    // The file download action (0x1803) counts as other; "Download" is the category of the
    // ActiveX control downloads (0x1000 to 0x11FF), which this engine never makes.
    QTest::newRow("a clicked download")
        << u"download.html"_qs << true << u"セキュリティ項目その他"_qs;
    QTest::newRow("an iframe") << u"frame.html"_qs << false << u"セキュリティ項目その他"_qs;
}

void TestSecurityCategories::categoriesOfWhatThePageMet() {
    QFETCH(QString, page);
    QFETCH(bool, click);
    QFETCH(QString, hint);
    const QString url = page.startsWith(u'/')
                            ? FServer.Url(page)
                            : QUrl::fromLocalFile(FSite.filePath(page)).toString();
    TWebBrowserSecure *browser = FForm->BrowserHost;
    int completed = 0;
    const auto previous = browser->OnDocumentComplete;
    browser->OnDocumentComplete = [&](TWebBrowser *sender, IDispatch *pDisp, const QString &u) {
        previous(sender, pDisp, u);
        ++completed;
    };
    QCOMPARE(browser->Navigate2(url), S_OK);
    QTRY_VERIFY_WITH_TIMEOUT(completed > 0 && !browser->Busy(), kLoadTimeout);
    if (click) {
        QWidget *view = browser->findChild<QWebEngineView *>()->focusProxy();
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(50, 50));
    }
    // What the page meets after it completed (a click, a late cookie) adds to the display.
    QTRY_COMPARE_WITH_TIMEOUT(CategoriesHint(), hint, kLoadTimeout);
    QCOMPARE(QString::fromStdString(zonedisplay::CategoriesHint(FForm->SecurityCategories)), hint);
}

QTEST_MAIN(TestSecurityCategories)
#include "tst_SecurityCategories.moc"
