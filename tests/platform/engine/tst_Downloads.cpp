// Downloads on the real engine: an allowed download is saved under a safe, unique name in the
// download directory; a refused, cancelled, failed or abandoned one leaves no file; the host may
// choose the path; DLCTL_SILENT shows nothing. Also what the engine does with background sounds.

#include "BrowserFixture.h"
#include "TestHttpServer.h"

#include "platform/engine/DownloadSaver.h"
#include "platform/engine/EngineEnvironment.h"
#include "platform/engine/FileNames.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebEngineView>

namespace {

const QByteArray kBody = QByteArray("quillmere download\0\x01\xff", 21).repeated(100);

QByteArray Attachment(const QByteArray &fileName) {
    return "Content-Type: application/octet-stream\r\nContent-Disposition: attachment; "
           "filename=\"" +
           fileName + "\"\r\n";
}

// Answers every connection with the headers of a large attachment and the first part of its
// body, then either holds the connection open or closes it.
class StallingServer final : public QObject {
public:
    explicit StallingServer(bool closeEarly) {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this, closeEarly] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [socket, closeEarly] {
                    socket->readAll();
                    socket->write("HTTP/1.1 200 OK\r\n" + Attachment("big.bin") +
                                  "Content-Length: 10000000\r\n\r\n" + kBody);
                    if (closeEarly)
                        socket->disconnectFromHost();
                });
            }
        });
    }
    QString Url() const { return u"http://127.0.0.1:%1/big"_qs.arg(m_server.serverPort()); }

private:
    QTcpServer m_server;
};

// Serves one attachment that the engine can resume: the first answer carries a validator and
// half the body, and its connection drops on Drop(); a request for the rest (a range) gets it.
class ResumableServer final : public QObject {
public:
    ResumableServer() {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                ++connections;
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Answer(socket); });
            }
        });
    }
    QString Url() const { return u"http://127.0.0.1:%1/resumable"_qs.arg(m_server.serverPort()); }
    void Drop() {
        if (m_first)
            m_first->abort();
    }

    int connections = 0;
    QList<QByteArray> requests; // the request heads
    bool partSent = false;

private:
    void Answer(QTcpSocket *socket) {
        const QByteArray head = socket->readAll();
        requests.append(head);
        const QByteArray validators = "ETag: \"v1\"\r\nLast-Modified: Mon, 01 Jan 2024 00:00:00 "
                                      "GMT\r\nAccept-Ranges: bytes\r\n";
        const qsizetype half = kBody.size() / 2;
        if (!head.toLower().contains("\r\nrange:")) {
            socket->write("HTTP/1.1 200 OK\r\n" + Attachment("resumed.bin") + validators +
                          "Content-Length: " + QByteArray::number(kBody.size()) + "\r\n\r\n" +
                          kBody.left(half));
            m_first = socket;
            partSent = true;
            return;
        }
        socket->write("HTTP/1.1 206 Partial Content\r\n" + Attachment("resumed.bin") + validators +
                      "Content-Range: bytes " + QByteArray::number(half) + "-" +
                      QByteArray::number(kBody.size() - 1) + "/" +
                      QByteArray::number(kBody.size()) + "\r\nContent-Length: " +
                      QByteArray::number(kBody.size() - half) + "\r\n\r\n" + kBody.mid(half));
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QPointer<QTcpSocket> m_first;
};

struct Finished {
    QString url;
    QString path;
    bool saved = false;
};

} // namespace

class TestDownloads final : public QObject {
    Q_OBJECT
public:
    static void initMain() { engine::PrepareEngineEnvironment(); }

private slots:
    void init();
    void cleanup() { m_f.reset(); }
    void safeFileName_data();
    void safeFileName();
    void uniqueNames();
    void allowedDownloadIsSavedUnderASafeUniqueName_data();
    void allowedDownloadIsSavedUnderASafeUniqueName();
    void refusedDownloadLeavesNoFile_data();
    void refusedDownloadLeavesNoFile();
    void hostChoosesThePath_data();
    void hostChoosesThePath();
    void silentDownloadShowsNothing_data();
    void silentDownloadShowsNothing();
    void failedDownloadLeavesNoPartialFile();
    void downloadInProgressIsRemovedWithTheControl();
    void downloadLinkWhileOffline_data();
    void downloadLinkWhileOffline();
    void pageMadeDownloadTakesThePagesZone_data();
    void pageMadeDownloadTakesThePagesZone();
    void resumedDownloadWhileOffline_data();
    void resumedDownloadWhileOffline();
    void backgroundSoundsAreNotFetched();

private:
    QDir Downloads() const { return QDir(m_f->downloadDir.path()); }
    QStringList Files() const { return Downloads().entryList(QDir::Files | QDir::Hidden); }
    bool WaitFinished(int count = 1) {
        return QTest::qWaitFor([&] { return m_finished.size() >= count; }, kLoadTimeout);
    }

    std::unique_ptr<BrowserFixture> m_f;
    TestHttpServer m_server;
    QList<Finished> m_finished;
    QStringList m_status;
};

void TestDownloads::init() {
    m_f = std::make_unique<BrowserFixture>();
    m_f->manager->deniedRestricted = {URLACTION_SHELL_FILE_DOWNLOAD};
    m_finished.clear();
    m_status.clear();
    m_f->browser->OnDownloadFinished = [this](TWebBrowser *, const QString &url,
                                              const QString &path, bool saved) {
        m_finished.append({url, path, saved});
    };
    m_f->browser->OnStatusTextChange = [this](TWebBrowser *, const QString &text) {
        m_status.append(text);
    };
}

void TestDownloads::safeFileName_data() {
    QTest::addColumn<QString>("suggested");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << u"report.pdf"_qs << u"report.pdf"_qs;
    QTest::newRow("parent directories") << u"../../x.bin"_qs << u"x.bin"_qs;
    QTest::newRow("absolute path") << u"/etc/passwd"_qs << u"passwd"_qs;
    QTest::newRow("backslashes") << u"..\\..\\win.ini"_qs << u"win.ini"_qs;
    QTest::newRow("empty") << QString() << u"download"_qs;
    QTest::newRow("dot dot") << u".."_qs << u"download"_qs;
    QTest::newRow("directory only") << u"dir/"_qs << u"download"_qs;
    QTest::newRow("hidden file") << u".bashrc"_qs << u"bashrc"_qs;
    QTest::newRow("blanks") << u"  a b.txt  "_qs << u"a b.txt"_qs;
    QTest::newRow("control characters") << u"a\nb\tc.txt"_qs << u"a_b_c.txt"_qs;
    QTest::newRow("right-to-left override") << u"a\u202Etxt.exe"_qs << u"a_txt.exe"_qs;
    QTest::newRow("Japanese") << u"資料.txt"_qs << u"資料.txt"_qs;
    QTest::newRow("too long, extension kept")
        << (QString(300, u'a') + u".txt"_qs) << (QString(236, u'a') + u".txt"_qs);
    QTest::newRow("too long in UTF-8") << QString(200, u'資') << QString(80, u'資');
    QTest::newRow("surrogate pair not split")
        << QString(u"😀"_qs).repeated(100) << QString(u"😀"_qs).repeated(60);
    QTest::newRow("a huge extension is part of the name")
        << (u"a."_qs + QString(1000, u'b')) << (u"a."_qs + QString(238, u'b'));
}

void TestDownloads::safeFileName() {
    QFETCH(QString, suggested);
    QFETCH(QString, expected);
    QCOMPARE(engine::SafeFileName(suggested), expected);
}

void TestDownloads::uniqueNames() {
    const QDir dir = Downloads();
    QStringList made;
    for (int i = 0; i < 3; ++i)
        made << QFileInfo(engine::ReserveUniqueFile(dir, u"a.tar.gz"_qs).value_or(QString()))
                    .fileName();
    QCOMPARE(made, (QStringList{u"a.tar.gz"_qs, u"a.tar (1).gz"_qs, u"a.tar (2).gz"_qs}));
    made.clear();
    for (int i = 0; i < 2; ++i)
        made << QFileInfo(engine::ReserveUniqueFile(dir, u"README"_qs).value_or(QString()))
                    .fileName();
    QCOMPARE(made, (QStringList{u"README"_qs, u"README (1)"_qs}));
    // Placeholders in a name are not filled in.
    QVERIFY(engine::ReserveUniqueFile(dir, u"%2 %1.txt"_qs));
    QCOMPARE(
        QFileInfo(engine::ReserveUniqueFile(dir, u"%2 %1.txt"_qs).value_or(QString())).fileName(),
        u"%2 %1 (1).txt"_qs);
    // A directory that cannot be written gives no name instead of looping.
    QVERIFY(!engine::ReserveUniqueFile(QDir(dir.filePath(u"missing"_qs)), u"x"_qs));
}

void TestDownloads::allowedDownloadIsSavedUnderASafeUniqueName_data() {
    QTest::addColumn<QByteArray>("fileName"); // as the server suggests it
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("expected");
    QTest::newRow("new name") << QByteArray("file.bin") << QStringList() << u"file.bin"_qs;
    QTest::newRow("name taken") << QByteArray("file.bin") << QStringList{u"file.bin"_qs}
                                << u"file (1).bin"_qs;
    QTest::newRow("two names taken")
        << QByteArray("file.bin") << QStringList{u"file.bin"_qs, u"file (1).bin"_qs}
        << u"file (2).bin"_qs;
    QTest::newRow("parent directories")
        << QByteArray("../../x.bin") << QStringList() << u"x.bin"_qs;
    QTest::newRow("absolute path") << QByteArray("/etc/passwd") << QStringList() << u"passwd"_qs;
    QTest::newRow("empty name: the URL's") << QByteArray() << QStringList() << u"get"_qs;
}

void TestDownloads::allowedDownloadIsSavedUnderASafeUniqueName() {
    QFETCH(QByteArray, fileName);
    QFETCH(QStringList, existing);
    QFETCH(QString, expected);
    // The download directory is a sub-directory, so a file written beside it would be seen.
    const QDir root(m_f->downloadDir.path());
    QVERIFY(root.mkpath(u"in/deeper"_qs));
    const QDir dir(root.filePath(u"in/deeper"_qs));
    m_f->browser->SetDownloadDirectory(dir.path());
    for (const QString &name : existing) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    m_server.Serve("/get", kBody, Attachment(fileName));
    QCOMPARE(m_f->browser->Navigate(m_server.Url(u"/get"_qs)), S_OK);
    QVERIFY(WaitFinished());
    QVERIFY(m_finished[0].saved);
    QCOMPARE(m_finished[0].path, dir.filePath(expected));
    QFile saved(m_finished[0].path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), kBody);
    for (const QString &name : existing) {
        QFile old(dir.filePath(name));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
    }
    QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden).size(), existing.size() + 1);
    QCOMPARE(root.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"in"_qs});
    QCOMPARE(QDir(root.filePath(u"in"_qs))
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"deeper"_qs});
}

void TestDownloads::refusedDownloadLeavesNoFile_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("hostCancels");
    QTest::addColumn<DWORD>("reported");
    QTest::newRow("host cancels") << u"/get"_qs << true << DWORD(0);
    QTest::newRow("zone refuses") << u"/restricted/get"_qs << false
                                  << URLACTION_SHELL_FILE_DOWNLOAD;
}

void TestDownloads::refusedDownloadLeavesNoFile() {
    QFETCH(QString, path);
    QFETCH(bool, hostCancels);
    QFETCH(DWORD, reported);
    m_server.Serve(path.toUtf8(), kBody, Attachment("file.bin"));
    int raised = 0;
    m_f->browser->OnFileDownload = [&](TWebBrowser *, bool, bool &cancel) {
        ++raised;
        cancel = hostCancels;
    };
    bool pathAsked = false;
    m_f->browser->OnDownloadPath = [&](TWebBrowser *, QString &, bool &) { pathAsked = true; };
    bool loadEnded = false;
    m_f->browser->OnDownloadComplete = [&](TWebBrowser *) { loadEnded = true; };
    QCOMPARE(m_f->browser->Navigate(m_server.Url(path)), S_OK);
    // The load may end before or after the engine reports the download.
    QTRY_VERIFY_WITH_TIMEOUT(loadEnded && raised == 1, kLoadTimeout);
    QCOMPARE(m_f->manager->WasAsked(URLACTION_SHELL_FILE_DOWNLOAD, path), !hostCancels);
    QCOMPARE(m_f->WasBlocked(path, URLACTION_SHELL_FILE_DOWNLOAD), reported != 0);
    QVERIFY(!pathAsked);
    QVERIFY(m_finished.isEmpty());
    QCOMPARE(Files(), QStringList());
}

void TestDownloads::hostChoosesThePath_data() {
    QTest::addColumn<QString>("chosen"); // relative to a directory of the test; "-" cancels
    QTest::addColumn<bool>("saved");
    QTest::newRow("another directory") << u"elsewhere/mine.bin"_qs << true;
    QTest::newRow("an existing file is replaced") << u"old.bin"_qs << true;
    QTest::newRow("host cancels") << u"-"_qs << false;
    QTest::newRow("relative path refused") << u"relative"_qs << false;
}

void TestDownloads::hostChoosesThePath() {
    QFETCH(QString, chosen);
    QFETCH(bool, saved);
    QTemporaryDir other;
    QVERIFY(QDir(other.path()).mkpath(u"elsewhere"_qs));
    QFile old(QDir(other.path()).filePath(u"old.bin"_qs));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    QString offered;
    m_f->browser->OnDownloadPath = [&](TWebBrowser *, QString &path, bool &cancel) {
        offered = path;
        QVERIFY(QFileInfo::exists(path)); // reserved
        if (chosen == u"-"_qs)
            cancel = true;
        else
            path = chosen == u"relative"_qs ? chosen : QDir(other.path()).filePath(chosen);
    };
    m_server.Serve("/get", kBody, Attachment("file.bin"));
    QCOMPARE(m_f->browser->Navigate(m_server.Url(u"/get"_qs)), S_OK);
    QVERIFY(WaitFinished());
    QCOMPARE(offered, Downloads().filePath(u"file.bin"_qs));
    QCOMPARE(m_finished[0].saved, saved);
    QCOMPARE(Files(), QStringList()); // the reservation is given back
    if (saved) {
        QFile file(QDir(other.path()).filePath(chosen));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), kBody);
    } else {
        QCOMPARE(m_finished[0].path, QString());
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
    }
}

void TestDownloads::silentDownloadShowsNothing_data() {
    QTest::addColumn<bool>("silent");
    QTest::newRow("with UI") << false;
    QTest::newRow("DLCTL_SILENT") << true;
}

void TestDownloads::silentDownloadShowsNothing() {
    QFETCH(bool, silent);
    m_f->SetDownloadControl(DLCTL_DEFAULT | (silent ? DLCTL_SILENT : 0));
    bool pathAsked = false;
    m_f->browser->OnDownloadPath = [&](TWebBrowser *, QString &, bool &) { pathAsked = true; };
    m_server.Serve("/get", kBody, Attachment("file.bin"));
    QCOMPARE(m_f->browser->Navigate(m_server.Url(u"/get"_qs)), S_OK);
    QVERIFY(WaitFinished());
    QVERIFY(m_finished[0].saved);
    QCOMPARE(Files(), QStringList{u"file.bin"_qs});
    QCOMPARE(pathAsked, !silent);
    QStringList downloadTexts;
    for (const QString &text : std::as_const(m_status)) {
        if (text.contains(u"file.bin"_qs))
            downloadTexts << text;
    }
    QCOMPARE(downloadTexts.size(), silent ? 0 : 2);
    if (!silent)
        QVERIFY(m_f->browser->StatusText().contains(Downloads().filePath(u"file.bin"_qs)));
}

void TestDownloads::failedDownloadLeavesNoPartialFile() {
    StallingServer server(true);
    QCOMPARE(m_f->browser->Navigate(server.Url()), S_OK);
    QVERIFY(WaitFinished());
    QVERIFY(!m_finished[0].saved);
    QCOMPARE(Files(), QStringList());
}

void TestDownloads::downloadInProgressIsRemovedWithTheControl() {
    StallingServer server(false);
    QCOMPARE(m_f->browser->Navigate(server.Url()), S_OK);
    // The engine's partial file shows the download has begun.
    QTRY_VERIFY_WITH_TIMEOUT(Files().contains(u"big.bin.download"_qs), kLoadTimeout);
    m_f->browser.reset();
    QTRY_COMPARE_WITH_TIMEOUT(Files(), QStringList(), kLoadTimeout);
}

void TestDownloads::downloadLinkWhileOffline_data() {
    QTest::addColumn<bool>("offline");
    QTest::newRow("online") << false;
    QTest::newRow("offline") << true;
}

void TestDownloads::downloadLinkWhileOffline() {
    QFETCH(bool, offline);
    m_server.Serve("/get", kBody, Attachment("file.bin"));
    QTemporaryDir site;
    QFile page(QDir(site.path()).filePath(u"link.html"_qs));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<title>link</title><a download style='display:block;width:300px;height:200px' "
               "href='" +
               m_server.Url(u"/get"_qs).toUtf8() + "'>file</a>");
    page.close();
    QCOMPARE(m_f->LoadUrl(QUrl::fromLocalFile(page.fileName()).toString()), u"link"_qs);
    m_f->browser->SetOffline(offline);
    const qsizetype before = m_server.requests.size();
    QWidget *view = m_f->browser->findChild<QWebEngineView *>()->focusProxy();
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(50, 50));
    if (offline)
        QTRY_VERIFY_WITH_TIMEOUT(m_f->WasBlocked(u"/get"_qs, 0), kLoadTimeout);
    else
        QVERIFY(WaitFinished());
    QCOMPARE(m_server.requests.size() - before, offline ? 0 : 1);
    QCOMPARE(Files(), offline ? QStringList() : QStringList{u"file.bin"_qs});
}

void TestDownloads::pageMadeDownloadTakesThePagesZone_data() {
    QTest::addColumn<QString>("folder"); // downloads are refused in "restricted"
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<bool>("offline");
    QTest::addColumn<bool>("saved");
    QTest::newRow("restricted page, data:") << u"restricted"_qs << u"data"_qs << false << false;
    QTest::newRow("restricted page, data:, offline")
        << u"restricted"_qs << u"data"_qs << true << false;
    QTest::newRow("restricted page, blob:") << u"restricted"_qs << u"blob"_qs << false << false;
    QTest::newRow("allowed page, data:") << u"open"_qs << u"data"_qs << false << true;
    QTest::newRow("allowed page, blob:, offline") << u"open"_qs << u"blob"_qs << true << true;
}

void TestDownloads::pageMadeDownloadTakesThePagesZone() {
    QFETCH(QString, folder);
    QFETCH(QString, scheme);
    QFETCH(bool, offline);
    QFETCH(bool, saved);
    QTemporaryDir site;
    const QDir dir(site.path());
    QVERIFY(dir.mkpath(folder));
    QFile page(dir.filePath(folder + u"/made.html"_qs));
    QVERIFY(page.open(QIODevice::WriteOnly));
    // One click saves what the page made: a data: URL, or a blob: URL its script makes.
    page.write("<title>made</title><a id='made' download='made.bin' "
               "style='display:block;width:300px;height:200px' "
               "href='data:application/octet-stream;base64,bWFkZSBieSB0aGUgcGFnZQ=='>file</a>"
               "<script>if (location.search === '?blob') document.getElementById('made').href = "
               "URL.createObjectURL(new Blob(['made by the page']));</script>");
    page.close();
    QCOMPARE(m_f->LoadUrl(QUrl::fromLocalFile(page.fileName()).toString() + u"?"_qs + scheme),
             u"made"_qs);
    m_f->browser->SetOffline(offline);
    QWidget *view = m_f->browser->findChild<QWebEngineView *>()->focusProxy();
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(50, 50));
    if (saved) {
        QVERIFY(WaitFinished());
        QVERIFY(m_finished[0].saved);
        QFile file(Downloads().filePath(u"made.bin"_qs));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("made by the page"));
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(m_f->WasBlocked(scheme + u":"_qs, URLACTION_SHELL_FILE_DOWNLOAD),
                                 kLoadTimeout);
        QVERIFY(m_finished.isEmpty());
        QCOMPARE(Files(), QStringList());
    }
    // Asked for the page that made it: a data: or blob: URL has no zone of its own.
    QVERIFY(m_f->manager->WasAsked(URLACTION_SHELL_FILE_DOWNLOAD, folder + u"/made.html"_qs));
}

void TestDownloads::resumedDownloadWhileOffline_data() {
    QTest::addColumn<bool>("offline");
    QTest::newRow("online: the engine resumes it") << false;
    QTest::newRow("offline: nothing is fetched") << true;
}

void TestDownloads::resumedDownloadWhileOffline() {
    QFETCH(bool, offline);
    ResumableServer server;
    QCOMPARE(m_f->browser->Navigate(server.Url()), S_OK);
    // Under way: the engine writes its partial file once the first part has come.
    QTRY_VERIFY_WITH_TIMEOUT(server.partSent && Files().contains(u"resumed.bin.download"_qs),
                             kLoadTimeout);
    m_f->browser->SetOffline(offline);
    server.Drop();
    QVERIFY(WaitFinished());
    QCOMPARE(server.requests.size(), offline ? 1 : 2);
    QCOMPARE(m_finished[0].saved, !offline);
    if (offline) {
        QCOMPARE(server.connections, 1);
        QCOMPARE(m_f->blocked, (QList<QPair<QString, DWORD>>{{server.Url(), 0}}));
        QCOMPARE(Files(), QStringList());
    } else {
        QFile saved(Downloads().filePath(u"resumed.bin"_qs));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), kBody);
    }
}

void TestDownloads::backgroundSoundsAreNotFetched() {
    // The engine has no background sound element: nothing is requested, whatever the word says.
    m_server.Serve("/page", "<title>bg</title><bgsound src='/sound.wav' loop='1'>");
    m_server.Serve("/sound.wav", QByteArray(100, 'x'), "Content-Type: audio/wav\r\n");
    m_f->SetDownloadControl(DLCTL_DEFAULT);
    QCOMPARE(m_f->LoadUrl(m_server.Url(u"/page"_qs)), u"bg"_qs);
    for (const HttpRequest &request : std::as_const(m_server.requests))
        QVERIFY(request.path != "/sound.wav");
}

QTEST_MAIN(TestDownloads)
#include "tst_Downloads.moc"
