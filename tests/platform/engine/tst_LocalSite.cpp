// Without an engine: which local files a document may load, by its site (the host its security
// identifier names, else its folder), by the kind of request, and while a navigation is pending.

#include "platform/engine/DocumentTracker.h"
#include "platform/engine/LocalSite.h"

#include <QtTest>

using namespace engine;

Q_DECLARE_METATYPE(engine::RequestKind)

namespace {

// A security identifier: the text and the zone as four little-endian bytes; "" for none.
QByteArray Id(const QByteArray &text, char zone = 3) {
    return text.isEmpty() ? QByteArray() : text + QByteArray(1, zone) + QByteArray(3, '\0');
}

const QByteArray kLocal = "file:";
const QByteArray kHostA = "http:a.example";
const QByteArray kHostB = "http:b.example";

} // namespace

class TestLocalSite final : public QObject {
    Q_OBJECT
private slots:
    void admits_data();
    void admits();
    void whileANavigationIsPending_data();
    void whileANavigationIsPending();
};

void TestLocalSite::admits_data() {
    QTest::addColumn<QString>("document");
    QTest::addColumn<QByteArray>("documentId");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("fileId");
    QTest::addColumn<RequestKind>("kind");
    QTest::addColumn<bool>("admitted");
    const QString saved = u"file:///u/Html/a.example/docs/page.html"_qs;
    const auto named = [&](const char *name, const QString &file, const QByteArray &fileId,
                           RequestKind kind, bool admitted) {
        QTest::newRow(name) << saved << kHostA << file << Id(fileId) << kind << admitted;
    };
    // A saved page with its host's identifier: its host's directory, whatever the kind.
    named("own file in another folder of the host", u"file:///u/Html/a.example/data/x.json"_qs,
          kHostA, RequestKind::Other, true);
    named("own frame", u"file:///u/Html/a.example/docs/f.html"_qs, kHostA, RequestKind::SubFrame,
          true);
    named("another host's file", u"file:///u/Html/b.example/x.txt"_qs, kHostB, RequestKind::Other,
          false);
    named("another host's picture", u"file:///u/Html/b.example/x.png"_qs, kHostB,
          RequestKind::Image, false);
    named("a file outside the web directory", u"file:///u/secret.txt"_qs, kLocal,
          RequestKind::Other, false);
    named("a script outside the web directory", u"file:///u/secret.js"_qs, kLocal,
          RequestKind::Script, false);
    named("a file without an identifier", u"file:///u/Html/a.example/x"_qs, "", RequestKind::Image,
          false);
    QTest::newRow("the same host, another zone")
        << saved << kHostA << u"file:///u/Html/a.example/x.txt"_qs << Id(kHostA, 4)
        << RequestKind::Other << false;
    QTest::newRow("not a local file")
        << saved << kHostA << u"http://a.example/x"_qs << Id(kHostA) << RequestKind::Other << true;

    // Any other local document: its folder and below; elsewhere only what it shows.
    const QString local = u"file:///u/notes/page.html"_qs;
    const auto plain = [&](const char *name, const QString &file, RequestKind kind, bool admitted,
                           const QByteArray &fileId = kLocal) {
        QTest::newRow(name) << local << kLocal << file << Id(fileId) << kind << admitted;
    };
    plain("file in its folder", u"file:///u/notes/x.txt"_qs, RequestKind::Other, true);
    plain("frame below its folder", u"file:///u/notes/a/b/f.html"_qs, RequestKind::SubFrame, true);
    plain("file in the parent folder", u"file:///u/secret.txt"_qs, RequestKind::Other, false);
    plain("frame of the parent folder", u"file:///u/secret.txt"_qs, RequestKind::SubFrame, false);
    plain("object of the parent folder", u"file:///u/x.swf"_qs, RequestKind::Object, false);
    plain("picture of the parent folder", u"file:///u/x.png"_qs, RequestKind::Image, true);
    plain("style sheet of the parent folder", u"file:///u/x.css"_qs, RequestKind::Style, true);
    plain("script of the parent folder", u"file:///u/x.js"_qs, RequestKind::Script, true);
    plain("font of the parent folder", u"file:///u/x.woff"_qs, RequestKind::Font, true);
    plain("media of the parent folder", u"file:///u/x.ogg"_qs, RequestKind::Media, true);
    plain("a folder whose name begins alike", u"file:///u/notes2/x.txt"_qs, RequestKind::Other,
          false);
    plain("dot segments", u"file:///u/notes/../secret.txt"_qs, RequestKind::Other, false);
    plain("escaped dot segments", u"file:///u/notes/%2e%2E/secret.txt"_qs, RequestKind::Other,
          false);
    plain("escaped slashes", u"file:///u/notes/..%2Fsecret.txt"_qs, RequestKind::Other, false);
    plain("a file with a host", u"file://server/u/notes/x.txt"_qs, RequestKind::Other, false);
    plain("a saved host's file in its folder", u"file:///u/notes/a.example/x.txt"_qs,
          RequestKind::Other, false, kHostA);
    plain("a saved host's picture", u"file:///u/notes/a.example/x.png"_qs, RequestKind::Image, true,
          kHostA);
    QTest::newRow("no identifier: a local document")
        << local << QByteArray() << u"file:///u/notes/x.txt"_qs << QByteArray()
        << RequestKind::Other << true;
    QTest::newRow("a document with dot segments has no folder")
        << u"file:///u/notes/../page.html"_qs << kLocal << u"file:///u/x.txt"_qs << Id(kLocal)
        << RequestKind::Other << false;

    // A document that is not a local file: nothing local.
    QTest::newRow("web page, local file")
        << u"http://a.example/page.html"_qs << kHostA << u"file:///u/x.txt"_qs << Id(kLocal)
        << RequestKind::Other << false;
    QTest::newRow("web page, local picture")
        << u"http://a.example/page.html"_qs << kHostA << u"file:///u/x.png"_qs << Id(kLocal)
        << RequestKind::Image << false;
}

void TestLocalSite::admits() {
    QFETCH(QString, document);
    QFETCH(QByteArray, documentId);
    QFETCH(QString, file);
    QFETCH(QByteArray, fileId);
    QFETCH(RequestKind, kind);
    QFETCH(bool, admitted);
    const LocalSite site = LocalSiteOf(QUrl(document), Id(documentId));
    QCOMPARE(AdmitsLocalFile(site, {QUrl(file), fileId}, kind), admitted);
}

void TestLocalSite::whileANavigationIsPending_data() {
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("pending");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("admitted");
    // The document on screen must not read the files of the page it is leaving for.
    QTest::newRow("the leaving page's folder only")
        << u"file:///a/page.html"_qs << u"file:///b/page.html"_qs << u"file:///a/x.txt"_qs << false;
    QTest::newRow("the new page's folder only")
        << u"file:///a/page.html"_qs << u"file:///b/page.html"_qs << u"file:///b/x.txt"_qs << false;
    QTest::newRow("a folder of both") << u"file:///a/page.html"_qs << u"file:///a/b/page.html"_qs
                                      << u"file:///a/b/x.txt"_qs << true;
    // A web page on screen asks for no local file: the new page's own requests.
    QTest::newRow("from a web page")
        << u"http://a.example/"_qs << u"file:///b/page.html"_qs << u"file:///b/x.txt"_qs << true;
    QTest::newRow("from the first, empty document")
        << QString() << u"file:///b/page.html"_qs << u"file:///b/x.txt"_qs << true;
    QTest::newRow("to a web page")
        << u"file:///a/page.html"_qs << u"http://b.example/"_qs << u"file:///a/x.txt"_qs << false;
}

void TestLocalSite::whileANavigationIsPending() {
    QFETCH(QString, current);
    QFETCH(QString, pending);
    QFETCH(QString, file);
    QFETCH(bool, admitted);
    const auto document = [](const QString &url) {
        return TrackedDocument{QUrl(url), {}, LocalSiteOf(QUrl(url), Id(kLocal))};
    };
    DocumentTracker documents;
    if (!current.isEmpty()) {
        documents.SetPending(document(current));
        documents.Commit();
    }
    documents.SetPending(document(pending));
    const LocalFile local{QUrl(file), Id(kLocal)};
    QCOMPARE(documents.AdmitsLocalFile(local, RequestKind::Other), admitted);
    // Once the new page has come, or the navigation has ended, one site judges.
    DocumentTracker ended = documents;
    documents.Commit();
    QCOMPARE(documents.AdmitsLocalFile(local, RequestKind::Other),
             AdmitsLocalFile(LocalSiteOf(QUrl(pending), Id(kLocal)), local, RequestKind::Other));
    ended.Abandon();
    QCOMPARE(ended.AdmitsLocalFile(local, RequestKind::Other),
             AdmitsLocalFile(LocalSiteOf(QUrl(current), Id(kLocal)), local, RequestKind::Other));
}

QTEST_APPLESS_MAIN(TestLocalSite)
#include "tst_LocalSite.moc"
