// The window's address box and busy display through the real window and the real engine: a
// navigation that never brings a document (no content, a download) leaves the address of the
// page on screen and ends the busy display.

#include "../platform/engine/TestHttpServer.h"

#include "app/Main.h"
#include "app/MainUnit.h"
#include "host/WebBrowserSecure.h"
#include "options/appoption.h"
#include "platform/engine/EngineEnvironment.h"
#include "tests/support/FreshPlatformDir.h"

#include <QComboBox>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

constexpr int kLoadTimeout = 20000;

} // namespace

class TestNavigationDisplay final : public QObject {
    Q_OBJECT
public:
    static void initMain() { engine::PrepareEngineEnvironment(); }

private slots:
    void initTestCase() {
        QVERIFY(FPlatform.isValid() && FDownloads.isValid());
        appoption::Initialize();
        InitializeMainUnit();
    }
    void cleanupTestCase() {
        FinalizeMainUnit();
        appoption::Finalize();
    }
    void navigationWithoutADocument_data();
    void navigationWithoutADocument();

private:
    FreshPlatformDir FPlatform;
    QTemporaryDir FDownloads;
};

void TestNavigationDisplay::navigationWithoutADocument_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<QByteArray>("headers");
    QTest::newRow("no content (204)")
        << QByteArray("/nothing") << QByteArray("204 No Content") << QByteArray();
    QTest::newRow("download") << QByteArray("/file.bin") << QByteArray("200 OK")
                              << QByteArray("Content-Type: application/octet-stream\r\n"
                                            "Content-Disposition: attachment; filename=f.bin\r\n");
}

void TestNavigationDisplay::navigationWithoutADocument() {
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, status);
    QFETCH(QByteArray, headers);
    TestHttpServer server;
    QVERIFY(server.IsListening());
    server.Serve("/page", "<title>page</title>");
    server.ServeHeld(path, QByteArray(16, 'x'), headers, status);
    TForm1 form;
    form.FormCreate({}, true);
    form.BrowserHost->SetDownloadDirectory(FDownloads.path());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QString page = server.Url(u"/page"_qs);
    QCOMPARE(form.BrowserHost->Navigate2(page), S_OK);
    QTRY_VERIFY_WITH_TIMEOUT(form.BrowserHost->LocationName() == u"page"_qs &&
                                 form.BrowserHost->ReadyState() == READYSTATE_COMPLETE &&
                                 form.ProgressBar1->isHidden(),
                             kLoadTimeout);
    QCOMPARE(form.ComboBox1->currentText(), page);

    QCOMPARE(form.BrowserHost->Navigate2(server.Url(QString::fromLatin1(path))), S_OK);
    QTRY_COMPARE_WITH_TIMEOUT(server.RequestsOf(path), 1, kLoadTimeout);
    QVERIFY(!form.ProgressBar1->isHidden()); // busy while the answer is awaited
    server.Release(path);
    QTRY_VERIFY_WITH_TIMEOUT(!form.BrowserHost->Busy(), kLoadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(form.ProgressBar1->isHidden(), kLoadTimeout);
    QCOMPARE(form.ComboBox1->currentText(), page);
    QCOMPARE(form.BrowserHost->LocationURL(), page);
}

QTEST_MAIN(TestNavigationDisplay)
#include "tst_NavigationDisplay.moc"
