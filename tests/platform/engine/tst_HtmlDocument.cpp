// The document model: IHTMLDocument2 dispatch over a snapshot, frames and the automation error
// of an unreadable frame, and the same path through the control on the real engine.

#include "BrowserFixture.h"
#include "DispatchHelpers.h"
#include "TestHttpServer.h"

#include "platform/engine/CharsetOverrides.h"
#include "platform/engine/EngineEnvironment.h"
#include "platform/engine/HtmlDocument.h"

#include <QDir>
#include <QFile>

Q_DECLARE_METATYPE(Variant)

using engine::DocumentSnapshot;
using engine::HtmlDocument;

namespace {

// frames.item(index).document through IDispatch.
HRESULT FrameDocument(IDispatch *document, LONG index, ComPtr<IDispatch> *frameDocument,
                      EXCEPINFO *excep) {
    Variant frames;
    if (const HRESULT hr = GetByName(document, "frames", &frames); FAILED(hr))
        return hr;
    DispArgs args{Variant(index)};
    Variant window;
    if (const HRESULT hr = frames.Dispatch()->Invoke(DISPID_VALUE, GUID_NULL, LOCALE_USER_DEFAULT,
                                                     DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                                     args.Params(), &window, nullptr, nullptr);
        FAILED(hr))
        return hr;
    Variant value;
    const HRESULT hr = GetByName(window.Dispatch(), "document", &value, excep);
    if (SUCCEEDED(hr))
        *frameDocument = ComPtr<IDispatch>(value.Dispatch());
    return hr;
}

DocumentSnapshot Page(const QString &url, const QString &lastModified) {
    DocumentSnapshot s;
    s.readable = true;
    s.url = url;
    s.title = u"title of "_qs + url;
    s.lastModified = lastModified;
    s.fileCreatedDate = u"01/02/2003"_qs;
    s.fileModifiedDate = u"04/05/2006"_qs;
    s.fileUpdatedDate = u"07/08/2009"_qs;
    s.fileSize = u"1234"_qs;
    s.security = u"This type of document does not have a security certificate."_qs;
    s.charset = u"shift_jis"_qs;
    s.defaultCharset = u"iso-8859-1"_qs;
    s.bgColor = u"#ff0000"_qs;
    return s;
}

} // namespace

class TestHtmlDocument final : public QObject {
    Q_OBJECT
private slots:
    static void initMain() { engine::PrepareEngineEnvironment(); }
    void dispatchByNameMatchesTheAccessors_data();
    void dispatchByNameMatchesTheAccessors();
    void framesAndTheAutomationErrorOfAnUnreadableFrame();
    void framesetThroughTheControl();
    void colourValues_data();
    void colourValues();
    void charsetOverrides();
};

void TestHtmlDocument::dispatchByNameMatchesTheAccessors_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("expected");
    const DocumentSnapshot s = Page(u"file:///site/a.html"_qs, u"12/31/2004 23:59:58"_qs);
    const QList<std::pair<QByteArray, QString>> rows{
        {"URL", s.url},
        {"url", s.url}, // names ignore case
        {"title", s.title},
        {"lastModified", s.lastModified},
        {"fileCreatedDate", s.fileCreatedDate},
        {"fileModifiedDate", s.fileModifiedDate},
        {"fileUpdatedDate", s.fileUpdatedDate},
        {"fileSize", s.fileSize},
        {"security", s.security},
        {"charset", s.charset},
        {"defaultCharset", s.defaultCharset},
        {"bgColor", s.bgColor},
        {"readyState", u"complete"_qs},
    };
    for (const auto &[name, expected] : rows)
        QTest::newRow(name.constData()) << name << expected;
}

void TestHtmlDocument::dispatchByNameMatchesTheAccessors() {
    QFETCH(QByteArray, name);
    QFETCH(QString, expected);
    const ComPtr<HtmlDocument> document =
        MakeComObject<HtmlDocument>(Page(u"file:///site/a.html"_qs, u"12/31/2004 23:59:58"_qs));
    Variant value;
    QCOMPARE(GetByName(document.Get(), name.constData(), &value), S_OK);
    QCOMPARE(value.Type(), VT_BSTR);
    QCOMPARE(Text(value), expected);
    QCOMPARE(name == "readyState" ? document->ReadyState()
                                  : document->TextProperty(name.toStdString()),
             expected);

    // The object is an IHTMLDocument2; a model without a page takes no writes.
    QVERIFY(ComPtr<IDispatch>(document).As<engine::IHTMLDocument2>());
    DispArgs put = DispArgs::PropertyPut(Variant("shift_jis"));
    DISPID id = DISPID_UNKNOWN;
    const char *n = name.constData();
    QCOMPARE(document->GetIDsOfNames(GUID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    const bool writable = name == "charset" || name == "bgColor";
    QCOMPARE(document->Invoke(id, GUID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT,
                              put.Params(), nullptr, nullptr, nullptr),
             writable ? E_ACCESSDENIED : DISP_E_MEMBERNOTFOUND);
}

void TestHtmlDocument::framesAndTheAutomationErrorOfAnUnreadableFrame() {
    DocumentSnapshot top = Page(u"file:///site/top.html"_qs, u"01/01/2001 01:01:01"_qs);
    top.frames = {Page(u"file:///site/a.html"_qs, u"02/02/2002 02:02:02"_qs), DocumentSnapshot{}};
    const ComPtr<HtmlDocument> document = MakeComObject<HtmlDocument>(top);

    // C++ path.
    const ComPtr<engine::HtmlFrames> frames = document->Frames();
    QCOMPARE(frames->Length(), 2);
    QVERIFY(!frames->Item(2) && !frames->Item(-1));
    ComPtr<HtmlDocument> frameDocument;
    QCOMPARE(frames->Item(0)->Document(&frameDocument), S_OK);
    QCOMPARE(frameDocument->TextProperty("lastModified"), u"02/02/2002 02:02:02"_qs);
    QCOMPARE(frames->Item(1)->Document(&frameDocument), E_ACCESSDENIED);
    QVERIFY(!frameDocument);

    // Dispatch path: the readable frame's document, then the automation error with EXCEPINFO.
    ComPtr<IDispatch> viaDispatch;
    EXCEPINFO excep;
    QCOMPARE(FrameDocument(document.Get(), 0, &viaDispatch, &excep), S_OK);
    Variant value;
    QCOMPARE(GetByName(viaDispatch.Get(), "lastModified", &value), S_OK);
    QCOMPARE(Text(value), u"02/02/2002 02:02:02"_qs);
    QCOMPARE(FrameDocument(document.Get(), 1, &viaDispatch, &excep), DISP_E_EXCEPTION);
    QCOMPARE(excep.scode, E_ACCESSDENIED);
    QVERIFY(!excep.bstrDescription.empty());
    QCOMPARE(FrameDocument(document.Get(), 1, &viaDispatch, nullptr), E_ACCESSDENIED);
    QCOMPARE(FrameDocument(document.Get(), 5, &viaDispatch, nullptr), E_INVALIDARG);
}

void TestHtmlDocument::framesetThroughTheControl() {
    TestHttpServer server;
    server.Serve("/other", "<title>other site</title>");
    QTemporaryDir site;
    const QDir dir(site.path());
    const QDateTime older(QDate(2003, 1, 2), QTime(3, 4, 5), Qt::UTC);
    const QDateTime newer(QDate(2005, 6, 7), QTime(8, 9, 10), Qt::UTC);
    const QList<std::tuple<QString, QByteArray, QDateTime>> files{
        {u"top.html"_qs,
         "<html><head><title>top</title></head><frameset cols='*,*,*'><frame src='a.html'>"
         "<frame src='b.html'><frame src='" +
             server.Url(u"/other"_qs).toUtf8() + "'></frameset></html>",
         older},
        {u"a.html"_qs, "<title>a</title>", older},
        {u"b.html"_qs, "<title>b</title>", newer},
    };
    for (const auto &[name, html, modified] : files) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(html);
        QVERIFY(file.flush()); // before the time is set, or writing sets it again
        QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
    }
    const auto engineDate = [](const QDateTime &t) {
        return t.toLocalTime().toString(u"MM/dd/yyyy hh:mm:ss"_qs);
    };

    BrowserFixture f;
    QVERIFY(!f.browser->Document()); // nothing completed yet
    QCOMPARE(f.LoadUrl(QUrl::fromLocalFile(dir.filePath(u"top.html"_qs)).toString()), u"top"_qs);
    IDispatch *document = f.browser->Document();
    QVERIFY(document);
    Variant value;
    QCOMPARE(GetByName(document, "lastModified", &value), S_OK);
    QCOMPARE(Text(value), engineDate(older));
    QCOMPARE(GetByName(document, "URL", &value), S_OK);
    QCOMPARE(Text(value), f.browser->LocationURL());

    const QList<QDateTime> frameDates{older, newer};
    for (LONG i = 0; i < 2; ++i) {
        ComPtr<IDispatch> frame;
        EXCEPINFO excep;
        QCOMPARE(FrameDocument(document, i, &frame, &excep), S_OK);
        QCOMPARE(GetByName(frame.Get(), "lastModified", &value), S_OK);
        QCOMPARE(Text(value), engineDate(frameDates[i]));
    }
    ComPtr<IDispatch> other;
    EXCEPINFO excep;
    QCOMPARE(FrameDocument(document, 2, &other, &excep), DISP_E_EXCEPTION);
    QCOMPARE(excep.scode, E_ACCESSDENIED);

    // A new document gives a new model.
    QCOMPARE(f.LoadUrl(QUrl::fromLocalFile(dir.filePath(u"b.html"_qs)).toString()), u"b"_qs);
    QCOMPARE(GetByName(f.browser->Document(), "title", &value), S_OK);
    QCOMPARE(Text(value), u"b"_qs);
}

void TestHtmlDocument::colourValues_data() {
    QTest::addColumn<Variant>("value");
    QTest::addColumn<QString>("expected"); // "<none>": refused
    QTest::newRow("integer is 0xRRGGBB") << Variant(LONG(0xFF8000)) << u"#ff8000"_qs;
    QTest::newRow("blue") << Variant(LONG(0x0000FF)) << u"#0000ff"_qs;
    QTest::newRow("black") << Variant(LONG(0)) << u"#000000"_qs;
    QTest::newRow("high byte ignored") << Variant(LONG(-1)) << u"#ffffff"_qs;
    QTest::newRow("unsigned") << Variant(ULONG(0x123456)) << u"#123456"_qs;
    QTest::newRow("text passes") << Variant("red") << u"red"_qs;
    QTest::newRow("null clears") << Variant::Null() << QString();
    QTest::newRow("empty clears") << Variant() << QString();
    QTest::newRow("bool refused") << Variant(true) << u"<none>"_qs;
}

void TestHtmlDocument::colourValues() {
    QFETCH(Variant, value);
    QFETCH(QString, expected);
    const std::optional<QJsonValue> colour = engine::ColorValue(value);
    QCOMPARE(colour ? colour->toString() : u"<none>"_qs, expected);
}

void TestHtmlDocument::charsetOverrides() {
    for (const QString &good : {u"shift_jis"_qs, u"EUC-JP"_qs, u"iso-8859-1"_qs, u"x-mac.1:2"_qs})
        QVERIFY2(engine::IsCharsetName(good), qPrintable(good));
    // Anything that could change the content type it is put into is refused.
    for (const QString &bad : {QString(), u"shift_jis;base64"_qs, u"a b"_qs, u"-x"_qs,
                               u"utf-8\r\nX: y"_qs, QString(41, u'a')})
        QVERIFY2(!engine::IsCharsetName(bad), qPrintable(bad));

    QTemporaryDir dir;
    const QString path = dir.filePath(u"page.html"_qs);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<title>x</title>");
    file.close();
    const QUrl page = QUrl::fromLocalFile(path);
    QUrl withFragment = page;
    withFragment.setFragment(u"part"_qs);

    engine::CharsetOverrides overrides;
    QVERIFY(!overrides.RereadContent(page, u"UTF-8"_qs)); // nothing chosen
    overrides.Set(withFragment, u"shift_jis"_qs);
    QCOMPARE(overrides.For(page), u"shift_jis"_qs); // the fragment does not count
    QCOMPARE(overrides.RereadContent(page, u"UTF-8"_qs).value_or("<none>"), "<title>x</title>");
    QVERIFY(!overrides.RereadContent(page, u"Shift_JIS"_qs)); // already read with it
    QVERIFY(!overrides.RereadContent(QUrl(u"http://example.com/"_qs), u"UTF-8"_qs));
    const QUrl gone = QUrl::fromLocalFile(dir.filePath(u"gone.html"_qs));
    overrides.Set(gone, u"shift_jis"_qs);
    QVERIFY(!overrides.RereadContent(gone, u"UTF-8"_qs));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(engine::CharsetOverrides::kMaxRereadBytes + 1, 'x'));
    file.close();
    QVERIFY(!overrides.RereadContent(page, u"UTF-8"_qs)); // too large to hand over
    overrides.Set(page, QString());
    QVERIFY(overrides.For(page).isEmpty());
}

QTEST_MAIN(TestHtmlDocument)
#include "tst_HtmlDocument.moc"
