// The document model on the real engine: elements and collections with what the program reads,
// the interfaces each kind answers, the element cap, writes on the live page (body, cells,
// nested frames) with what the screen shows, writes on a replaced document, and a charset
// chosen for a page followed by Refresh.

#include "BrowserFixture.h"
#include "DispatchHelpers.h"

#include "platform/engine/EngineEnvironment.h"
#include "platform/engine/HtmlDocument.h"

#include <QFile>
#include <QFileInfo>

using engine::HtmlCollection;
using engine::HtmlDocument;

namespace {

QString FixturePath(const QString &name) {
    return qEnvironmentVariable("QM_SOURCE_DIR") + u"/tests/fixtures/engine/"_qs + name;
}

// collection, or collection.tags(tag) when a tag is given, item(index); "body" for the body.
ComPtr<IDispatch> ElementByDispatch(IDispatch *document, const QByteArray &collection,
                                    const QString &tag, LONG index) {
    if (collection == "body")
        return Object(document, "body");
    ComPtr<IDispatch> list = Object(document, collection.constData());
    Variant value;
    if (list && !tag.isEmpty() &&
        SUCCEEDED(CallByName(list.Get(), "tags", {Variant(tag.toStdString())}, &value)))
        list = ComPtr<IDispatch>(value.Dispatch());
    if (!list || FAILED(CallByName(list.Get(), "item", {Variant(index)}, &value)))
        return nullptr;
    return ComPtr<IDispatch>(value.Dispatch());
}

// The same element through the C++ accessors.
ComPtr<engine::HtmlElement> ElementByAccessor(const HtmlDocument &document,
                                              const QByteArray &collection, const QString &tag,
                                              LONG index) {
    if (collection == "body")
        return document.Body();
    const QList<std::pair<QByteArray, ComPtr<HtmlCollection> (HtmlDocument::*)() const>> lists{
        {"all", &HtmlDocument::All},         {"anchors", &HtmlDocument::Anchors},
        {"links", &HtmlDocument::Links},     {"images", &HtmlDocument::Images},
        {"applets", &HtmlDocument::Applets}, {"embeds", &HtmlDocument::Embeds},
        {"scripts", &HtmlDocument::Scripts},
    };
    for (const auto &[name, accessor] : lists) {
        if (name == collection) {
            ComPtr<HtmlCollection> list = (document.*accessor)();
            return (tag.isEmpty() ? list : list->Tags(tag))->Item(index);
        }
    }
    return nullptr;
}

QColor PixelAt(QWidget *widget, QPoint point) {
    return widget->grab().toImage().pixelColor(point);
}

} // namespace

class TestHtmlDocumentModel final : public QObject {
    Q_OBJECT
public:
    static void initMain() { engine::PrepareEngineEnvironment(); }

private slots:
    void initTestCase();
    void cleanupTestCase() { m_f.reset(); }
    void elementsByDispatchMatchTheAccessors_data();
    void elementsByDispatchMatchTheAccessors();
    void eachKindAnswersItsInterface_data();
    void eachKindAnswersItsInterface();
    void collectionsCountWhatTheyHold();
    void hugeDocumentsAreCapped();
    void paintingBodyAndCells();
    void paintingNestedFrames();
    void writesOnAReplacedDocumentAreRefused();
    void charsetChosenForAPageAppliesOnRefresh();

private:
    QString Load(const QString &fixture) {
        return m_f->LoadUrl(QUrl::fromLocalFile(FixturePath(fixture)).toString());
    }
    // Takes the snapshot again and waits for it.
    bool Retake() {
        bool done = false;
        m_f->browser->RetakeSnapshot([&done] { done = true; });
        return QTest::qWaitFor([&done] { return done; }, kLoadTimeout);
    }

    std::unique_ptr<BrowserFixture> m_f;
    ComPtr<IDispatch> m_elements; // the model of model/elements.html
};

void TestHtmlDocumentModel::initTestCase() {
    m_f = std::make_unique<BrowserFixture>();
    QCOMPARE(Load(u"model/elements.html"_qs), u"elements"_qs);
    m_elements = m_f->browser->Document();
    QVERIFY(m_elements);
}

void TestHtmlDocumentModel::elementsByDispatchMatchTheAccessors_data() {
    QTest::addColumn<QByteArray>("collection");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("member");
    QTest::addColumn<QString>("expected");
    const QUrl base = QUrl::fromLocalFile(FixturePath(u"model/elements.html"_qs));
    const QString dot = base.resolved(QUrl(u"../dot.png"_qs)).toString();
    const QString dotSize = QString::number(QFileInfo(FixturePath(u"dot.png"_qs)).size());
    const QString flash = u"clsid:D27CDB6E-AE6D-11CF-96B8-444553540000"_qs;
    const auto row = [](const char *name, QByteArray collection, QString tag, int index,
                        QByteArray member, QString expected) {
        QTest::newRow(name) << collection << tag << index << member << expected;
    };
    row("link href is absolute", "links", {}, 0, "href",
        base.resolved(QUrl(u"sub/page.html"_qs)).toString());
    row("link text", "links", {}, 0, "innerText", u"Link text"_qs);
    row("link without text", "all", u"a"_qs, 2, "innerText", QString());
    row("link on another host", "all", u"A"_qs, 2, "href", u"http://127.0.0.1:9/other.html"_qs);
    row("named anchor", "anchors", {}, 0, "id", u"mark"_qs);
    row("image alt", "images", {}, 0, "alt", u"a dot"_qs);
    row("image href", "images", {}, 0, "href", dot);
    row("image src", "images", {}, 0, "src", dot);
    row("image file size", "images", {}, 0, "fileSize", dotSize);
    row("missing image size", "images", {}, 1, "fileSize", u"-1"_qs);
    row("object classid", "applets", {}, 0, "classid", flash);
    row("object codetype", "applets", {}, 0, "codetype", u"application/x-oleobject"_qs);
    row("object code", "applets", {}, 0, "code", QString());
    row("object tag", "applets", {}, 0, "tagName", u"OBJECT"_qs);
    row("applet classid", "applets", {}, 1, "classid", QString());
    row("applet code", "applets", {}, 1, "code", u"Clock.class"_qs);
    row("applet codetype", "applets", {}, 1, "codetype", QString());
    row("embed src", "embeds", {}, 0, "src", u"../movie.swf"_qs);
    row("embed type", "embeds", {}, 0, "type", u"application/x-shockwave-flash"_qs);
    row("body tag", "body", {}, 0, "tagName", u"BODY"_qs);
    row("body bgColor", "body", {}, 0, "bgColor", u"#ff0000"_qs);
    row("body background", "body", {}, 0, "background", u"../dot.png"_qs);
    row("body class", "body", {}, 0, "className", u"page"_qs);
    row("cell bgColor", "all", u"td"_qs, 0, "bgColor", u"#00ff00"_qs);
    row("header cell", "all", u"TH"_qs, 0, "tagName", u"TH"_qs);
    row("script", "scripts", {}, 1, "tagName", u"SCRIPT"_qs);
}

void TestHtmlDocumentModel::elementsByDispatchMatchTheAccessors() {
    QFETCH(QByteArray, collection);
    QFETCH(QString, tag);
    QFETCH(int, index);
    QFETCH(QByteArray, member);
    QFETCH(QString, expected);
    const ComPtr<IDispatch> element = ElementByDispatch(m_elements.Get(), collection, tag, index);
    QVERIFY(element);
    Variant value;
    QCOMPARE(GetByName(element.Get(), member.constData(), &value), S_OK);
    QCOMPARE(value.Type(), VT_BSTR);
    QCOMPARE(Text(value), expected);

    const HtmlDocument document(m_f->browser->Snapshot());
    const ComPtr<engine::HtmlElement> accessor =
        ElementByAccessor(document, collection, tag, index);
    QVERIFY(accessor);
    QCOMPARE(accessor->TextProperty(member.toStdString()).value_or(u"<none>"_qs), expected);
}

void TestHtmlDocumentModel::eachKindAnswersItsInterface_data() {
    QTest::addColumn<QString>("tag");
    QTest::addColumn<int>("expected"); // index into the interfaces below; -1: none of them
    QTest::newRow("A") << u"A"_qs << 0;
    QTest::newRow("IMG") << u"IMG"_qs << 1;
    QTest::newRow("OBJECT") << u"OBJECT"_qs << 2;
    QTest::newRow("APPLET") << u"APPLET"_qs << 2;
    QTest::newRow("EMBED") << u"EMBED"_qs << 3;
    QTest::newRow("BODY") << u"BODY"_qs << 4;
    QTest::newRow("TD") << u"TD"_qs << 5;
    QTest::newRow("TH") << u"TH"_qs << 5;
    QTest::newRow("TABLE") << u"TABLE"_qs << -1;
    QTest::newRow("SCRIPT") << u"SCRIPT"_qs << -1;
}

void TestHtmlDocumentModel::eachKindAnswersItsInterface() {
    QFETCH(QString, tag);
    QFETCH(int, expected);
    const ComPtr<IDispatch> element = ElementByDispatch(m_elements.Get(), "all", tag, 0);
    QVERIFY(element);
    QVERIFY(element.As<engine::IHTMLElement>());
    const QList<IID> kinds{engine::IHTMLAnchorElement::iid, engine::IHTMLImgElement::iid,
                           engine::IHTMLObjectElement::iid, engine::IHTMLEmbedElement::iid,
                           engine::IHTMLBodyElement::iid,   engine::IHTMLTableCell::iid};
    for (int i = 0; i < kinds.size(); ++i) {
        void *out = nullptr;
        const HRESULT hr = element->QueryInterface(kinds[i], &out);
        if (out)
            static_cast<IUnknown *>(out)->Release();
        QCOMPARE(hr, i == expected ? S_OK : E_NOINTERFACE);
    }
    // Members of another kind are not there by name either.
    DISPID id = DISPID_UNKNOWN;
    const char *name = expected == 2 || expected == 3 ? "alt" : "classid";
    QCOMPARE(element->GetIDsOfNames(GUID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id),
             DISP_E_UNKNOWNNAME);
}

void TestHtmlDocumentModel::collectionsCountWhatTheyHold() {
    const QList<std::pair<const char *, LONG>> counts{
        {"images", 2}, {"applets", 2}, {"embeds", 1}, {"scripts", 2}, {"anchors", 1}, {"links", 2},
    };
    for (const auto &[name, count] : counts) {
        Variant length;
        QCOMPARE(GetByName(Object(m_elements.Get(), name).Get(), "length", &length), S_OK);
        QCOMPARE(length.ToI4(), count);
    }
    const ComPtr<IDispatch> all = Object(m_elements.Get(), "all");
    Variant value;
    QCOMPARE(GetByName(all.Get(), "length", &value), S_OK);
    QCOMPARE(value.ToI4(), m_f->browser->Snapshot().elementCount);
    // Out of range and unknown names give null, by name the element with that id.
    for (const Variant &key : {Variant(LONG(-1)), Variant(LONG(100000)), Variant("nothing")}) {
        QCOMPARE(CallByName(all.Get(), "item", {key}, &value), S_OK);
        QVERIFY(!value.Dispatch());
    }
    QCOMPARE(CallByName(all.Get(), "item", {Variant("top")}, &value), S_OK);
    Variant tagName;
    QCOMPARE(GetByName(value.Dispatch(), "tagName", &tagName), S_OK);
    QCOMPARE(Text(tagName), u"BODY"_qs);

    // Image state and sizes; parentWindow leads back to a document of the same page.
    const ComPtr<IDispatch> image = ElementByDispatch(m_elements.Get(), "images", {}, 0);
    QCOMPARE(GetByName(image.Get(), "complete", &value), S_OK);
    QCOMPARE(value.ToBool(), true);
    QCOMPARE(GetByName(image.Get(), "width", &value), S_OK);
    QCOMPARE(value.ToI4(), 10);
    QCOMPARE(GetByName(image.Get(), "height", &value), S_OK);
    QCOMPARE(value.ToI4(), 12);
    const ComPtr<IDispatch> window = Object(m_elements.Get(), "parentWindow");
    QVERIFY(window.As<engine::IHTMLWindow2>());
    QCOMPARE(GetByName(Object(window.Get(), "document").Get(), "title", &value), S_OK);
    QCOMPARE(Text(value), u"elements"_qs);
    QCOMPARE(GetByName(m_elements.Get(), "defaultCharset", &value), S_OK);
    QVERIFY(!Text(value).isEmpty());
}

void TestHtmlDocumentModel::hugeDocumentsAreCapped() {
    QTemporaryDir dir;
    QFile file(dir.filePath(u"huge.html"_qs));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<title>huge</title><body>");
    for (int i = 0; i < engine::kElementBudget + 5000; ++i)
        file.write("<i></i>");
    // Long texts on many elements: more than the snapshot's text budget.
    file.write("<script>var s = 'x'.repeat(100000), e = document.getElementsByTagName('i');"
               "for (var k = 0; k < 2000; ++k) e[k].className = s;</script>");
    file.close();
    QCOMPARE(m_f->LoadUrl(QUrl::fromLocalFile(file.fileName()).toString()), u"huge"_qs);
    const engine::DocumentSnapshot &s = m_f->browser->Snapshot();
    QCOMPARE(s.elements.size(), engine::kElementBudget);
    QVERIFY(s.elementCount > engine::kElementBudget);
    QCOMPARE(s.body.tagName, u"BODY"_qs);
    qsizetype text = 0;
    for (const engine::ElementSnapshot &e : s.elements) {
        QVERIFY(e.className.size() <= engine::kMaxElementText);
        QVERIFY(!e.tagName.isEmpty());
        text += e.className.size();
    }
    const auto first =
        std::find_if(s.elements.begin(), s.elements.end(),
                     [](const engine::ElementSnapshot &e) { return e.tagName == u"I"_qs; });
    QCOMPARE(first->className.size(), engine::kMaxElementText);
    QVERIFY((first + 1999)->className.isEmpty()); // past the budget
    QVERIFY(text > engine::kTextBudget / 2);
    QVERIFY(text <= engine::kTextBudget + engine::kMaxElementText);
    Variant length;
    QCOMPARE(GetByName(Object(m_f->browser->Document(), "all").Get(), "length", &length), S_OK);
    QCOMPARE(length.ToI4(), engine::kElementBudget);
}

void TestHtmlDocumentModel::paintingBodyAndCells() {
    QCOMPARE(Load(u"model/paint.html"_qs), u"paint"_qs);
    QWidget *view = m_f->browser.get();
    const QPoint bodyPoint(300, 200), headerPoint(50, 25), cellPoint(150, 25);
    QVERIFY(
        QTest::qWaitFor([&] { return PixelAt(view, cellPoint) == QColor(Qt::red); }, kLoadTimeout));
    IDispatch *document = m_f->browser->Document();

    // As the colour command does it: the body's style, then every TD cell's.
    const ComPtr<IDispatch> bodyStyle = Object(Object(document, "body").Get(), "style");
    QVERIFY(bodyStyle.As<engine::IHTMLStyle>());
    QCOMPARE(PutByName(bodyStyle.Get(), "background", Variant::Null()), S_OK);
    QCOMPARE(PutByName(bodyStyle.Get(), "backgroundColor", Variant(LONG(0x0000FF))), S_OK);
    Variant cells;
    QCOMPARE(CallByName(Object(document, "all").Get(), "tags", {Variant("TD")}, &cells), S_OK);
    Variant count;
    QCOMPARE(GetByName(cells.Dispatch(), "length", &count), S_OK);
    QCOMPARE(count.ToI4(), 1);
    Variant cell;
    QCOMPARE(CallByName(cells.Dispatch(), "item", {Variant(LONG(0))}, &cell), S_OK);
    QCOMPARE(PutByName(Object(cell.Dispatch(), "style").Get(), "backgroundColor",
                       Variant(LONG(0x00FF00))),
             S_OK);

    // Read back after a new snapshot, and on the screen.
    QVERIFY(Retake());
    const engine::ElementSnapshot &body = m_f->browser->Snapshot().body;
    QCOMPARE(body.styleBackgroundColor, u"rgb(0, 0, 255)"_qs);
    QCOMPARE(body.styleBackgroundImage, u"none"_qs);
    QVERIFY(QTest::qWaitFor([&] { return PixelAt(view, bodyPoint) == QColor(Qt::blue); },
                            kLoadTimeout));
    QVERIFY(QTest::qWaitFor([&] { return PixelAt(view, cellPoint) == QColor(Qt::green); },
                            kLoadTimeout));
    QCOMPARE(PixelAt(view, headerPoint), QColor(Qt::red)); // TH keeps its colour

    // Body attributes: the background picture goes, the colour attribute is set.
    const ComPtr<IDispatch> bodyElement = Object(m_f->browser->Document(), "body");
    QCOMPARE(PutByName(bodyElement.Get(), "background", Variant::Null()), S_OK);
    QCOMPARE(PutByName(bodyElement.Get(), "bgColor", Variant(LONG(0x123456))), S_OK);
    QCOMPARE(PutByName(m_f->browser->Document(), "bgColor", Variant("#abcdef")), S_OK);
    QVERIFY(Retake());
    QCOMPARE(m_f->browser->Snapshot().body.background, QString());
    QCOMPARE(m_f->browser->Snapshot().bgColor, u"#abcdef"_qs);
    // A value of the wrong type is refused.
    QCOMPARE(PutByName(bodyStyle.Get(), "backgroundColor", Variant(true)), DISP_E_TYPEMISMATCH);
}

void TestHtmlDocumentModel::paintingNestedFrames() {
    QCOMPARE(Load(u"model/top.html"_qs), u"nested"_qs);
    // Paints every leaf page as the colour command does, through frames to any depth.
    std::function<int(IDispatch *)> paint = [&](IDispatch *document) {
        const ComPtr<IDispatch> body = Object(document, "body");
        Variant tag;
        if (!body || FAILED(GetByName(body.Get(), "tagName", &tag)))
            return 0;
        if (Text(tag) == u"BODY"_qs)
            return PutByName(Object(body.Get(), "style").Get(), "backgroundColor",
                             Variant(LONG(0x00FF00))) == S_OK
                       ? 1
                       : 0;
        const ComPtr<IDispatch> frames = Object(document, "frames");
        Variant length;
        int painted = 0;
        GetByName(frames.Get(), "length", &length);
        for (LONG i = 0; i < length.ToI4().value_or(0); ++i) {
            Variant window;
            if (SUCCEEDED(CallByName(frames.Get(), "item", {Variant(i)}, &window)))
                painted += paint(Object(window.Dispatch(), "document").Get());
        }
        return painted;
    };
    QCOMPARE(paint(m_f->browser->Document()), 3);
    QVERIFY(Retake());
    const engine::DocumentSnapshot &top = m_f->browser->Snapshot();
    QCOMPARE(top.body.tagName, u"FRAMESET"_qs);
    QCOMPARE(top.frames.size(), 2);
    const QList<const engine::DocumentSnapshot *> leaves{&top.frames[0], &top.frames[1].frames[0],
                                                         &top.frames[1].frames[1]};
    for (const engine::DocumentSnapshot *leaf : leaves)
        QCOMPARE(leaf->body.styleBackgroundColor, u"rgb(0, 255, 0)"_qs);
    QWidget *view = m_f->browser.get();
    for (const QPoint point : {QPoint(100, 150), QPoint(300, 75), QPoint(300, 225)})
        QVERIFY(QTest::qWaitFor([&] { return PixelAt(view, point) == QColor(Qt::green); },
                                kLoadTimeout));
}

void TestHtmlDocumentModel::writesOnAReplacedDocumentAreRefused() {
    QCOMPARE(Load(u"model/leaf.html"_qs), u"leaf"_qs);
    const ComPtr<IDispatch> oldDocument(m_f->browser->Document());
    const ComPtr<IDispatch> oldStyle = Object(Object(oldDocument.Get(), "body").Get(), "style");
    QCOMPARE(Load(u"model/paint.html"_qs), u"paint"_qs);

    EXCEPINFO excep;
    QCOMPARE(PutByName(oldStyle.Get(), "backgroundColor", Variant(LONG(0)), &excep),
             DISP_E_EXCEPTION);
    QCOMPARE(excep.scode, E_ACCESSDENIED);
    QCOMPARE(PutByName(oldDocument.Get(), "bgColor", Variant(LONG(0))), E_ACCESSDENIED);
    QCOMPARE(PutByName(oldDocument.Get(), "charset", Variant("shift_jis")), E_ACCESSDENIED);
    // Reads still answer the old snapshot; the new page is untouched.
    Variant title;
    QCOMPARE(GetByName(oldDocument.Get(), "title", &title), S_OK);
    QCOMPARE(Text(title), u"leaf"_qs);
    QVERIFY(Retake());
    QCOMPARE(m_f->browser->Snapshot().body.styleBackgroundColor, u"rgb(255, 0, 0)"_qs);
}

void TestHtmlDocumentModel::charsetChosenForAPageAppliesOnRefresh() {
    // The page declares Latin-1 but is written in Shift_JIS.
    const QString expected = u"日本語のページ"_qs;
    const QString url = QUrl::fromLocalFile(FixturePath(u"model/sjis.html"_qs)).toString();
    QVERIFY(m_f->LoadUrl(url) != expected);
    Variant charset;
    QCOMPARE(GetByName(m_f->browser->Document(), "charset", &charset), S_OK);
    QCOMPARE(Text(charset), u"windows-1252"_qs); // the engine reads Latin-1 as its superset

    QCOMPARE(PutByName(m_f->browser->Document(), "charset", Variant("shift_jis;x")), E_INVALIDARG);
    QCOMPARE(PutByName(m_f->browser->Document(), "charset", Variant("shift_jis")), S_OK);
    const int before = m_f->completed;
    QCOMPARE(m_f->Load([&] { QCOMPARE(m_f->browser->Refresh(), S_OK); }), expected);
    QCOMPARE(m_f->completed, before + 1); // the reading with the charset completes once
    QCOMPARE(m_f->browser->LocationURL(), url);
    QCOMPARE(GetByName(m_f->browser->Document(), "charset", &charset), S_OK);
    QCOMPARE(Text(charset), u"Shift_JIS"_qs);
    Variant address;
    QCOMPARE(GetByName(m_f->browser->Document(), "URL", &address), S_OK);
    QCOMPARE(Text(address), url);

    // The choice stays with the address: a second refresh reads it the same way.
    QCOMPARE(m_f->Load([&] { QCOMPARE(m_f->browser->Refresh(), S_OK); }), expected);

    // The reading is a history entry of its own; going back passes it and the page as first
    // read, and does not read it again (which would add an entry that traps Back).
    QVERIFY(m_f->Load([&] { QCOMPARE(m_f->browser->GoBack(), S_OK); }) != expected);
    QCOMPARE(m_f->browser->LocationURL(), url);
    QCOMPARE(m_f->Load([&] { QCOMPARE(m_f->browser->GoBack(), S_OK); }), u"paint"_qs);
}

QTEST_MAIN(TestHtmlDocumentModel)
#include "tst_HtmlDocumentModel.moc"
