// The document snapshot of a hostile page: one element and text budget and a frame limit for a
// page and all its frames, the answer read off the GUI thread, and the window process's memory
// while a page of 100 large frames completes.

#include "BrowserFixture.h"
#include "DispatchHelpers.h"
#include "HostilePages.h"
#include "ProcessMemory.h"

#include "platform/engine/DocumentSnapshot.h"
#include "platform/engine/EngineEnvironment.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QTimer>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <array>

namespace {

using engine::DocumentSnapshot;
using engine::ElementSnapshot;

// The window process may grow by this much while the page loads and its snapshot is read (it
// grew by 1.8 GB when every frame gave 20,000 elements of its own).
constexpr qint64 kMaxGrowthKib = 300 * 1024;
constexpr int kPageTimeout = 240000;
// Past the text budget, one text more and the addresses of frames (each no longer than a text).
constexpr qsizetype kMaxText =
    engine::kTextBudget + qsizetype(engine::kMaxFrames + 1) * engine::kMaxElementText;

const std::array<QString ElementSnapshot::*, 17> kTexts{
    &ElementSnapshot::id,
    &ElementSnapshot::className,
    &ElementSnapshot::name,
    &ElementSnapshot::style,
    &ElementSnapshot::styleBackground,
    &ElementSnapshot::styleBackgroundColor,
    &ElementSnapshot::styleBackgroundImage,
    &ElementSnapshot::href,
    &ElementSnapshot::innerText,
    &ElementSnapshot::alt,
    &ElementSnapshot::classid,
    &ElementSnapshot::codetype,
    &ElementSnapshot::code,
    &ElementSnapshot::type,
    &ElementSnapshot::data,
    &ElementSnapshot::bgColor,
    &ElementSnapshot::background,
};

// What a snapshot holds over the page and all its frames.
struct Totals {
    int frames = 0;
    int elements = 0;
    qsizetype text = 0;        // element texts, titles, colours and addresses
    qsizetype longestText = 0; // of an element or a title
};

void Add(const DocumentSnapshot &d, Totals &t) {
    t.text += d.url.size() + d.title.size() + d.bgColor.size();
    t.longestText = qMax(t.longestText, d.title.size());
    t.elements += int(d.elements.size());
    for (const ElementSnapshot &e : d.elements) {
        for (QString ElementSnapshot::*field : kTexts) {
            t.text += (e.*field).size();
            t.longestText = qMax(t.longestText, (e.*field).size());
        }
    }
    for (const DocumentSnapshot &f : d.frames) {
        ++t.frames;
        Add(f, t);
    }
}

Totals Count(const DocumentSnapshot &d) {
    Totals t;
    Add(d, t);
    return t;
}

// The same over the script's raw answer.
void AddRaw(const QJsonObject &d, Totals &t) {
    t.elements += int(d.value(u"elements"_qs).toArray().size());
    for (const QJsonValue &f : d.value(u"frames"_qs).toArray()) {
        ++t.frames;
        AddRaw(f.toObject(), t);
    }
}

// Runs the event loop until done() holds. QTest::qWaitFor sleeps between rounds of events, which
// starves the engine's many calls on the GUI thread while a hundred frames load.
bool RunUntil(const std::function<bool()> &done, int timeout) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    poll.start(10);
    if (!done())
        loop.exec();
    return done();
}

// A forged answer, as the page's process could send it: a top document with `frames` frames,
// each with `nested` frames of its own; every document has `elements` elements whose class is
// `text` characters long, and each frame an address of `urlLength` characters.
QJsonObject ForgedDocument(int frames, int nested, int elements, int text, int urlLength,
                           bool top) {
    QJsonArray list;
    for (int i = 0; i < elements; ++i)
        list.append(QJsonObject{{u"t"_qs, u"P"_qs}, {u"cls"_qs, QString(text, u'c')}});
    QJsonArray children;
    for (int i = 0; i < frames; ++i)
        children.append(ForgedDocument(nested, 0, elements, text, urlLength, false));
    const QString url = top ? u"file:///top.html"_qs
                            : u"file:///f.html?"_qs + QString(qMax(0, urlLength - 15), u'q');
    return {{u"readable"_qs, true}, {u"docId"_qs, u"d"_qs},   {u"url"_qs, url},
            {u"title"_qs, u"t"_qs}, {u"count"_qs, elements},  {u"elements"_qs, list},
            {u"bodyIndex"_qs, -1},  {u"frames"_qs, children}, {u"frameCount"_qs, frames}};
}

// Counts the key presses that reach an object.
class KeyCounter final : public QObject {
public:
    int presses = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::KeyPress)
            ++presses;
        return false;
    }
};

} // namespace

class TestSnapshotBudget final : public QObject {
    Q_OBJECT
public:
    static void initMain() { engine::PrepareEngineEnvironment(); }

private slots:
    void initTestCase();
    void cleanupTestCase() { m_f.reset(); }
    // The page takes the engine's renderer long to load, so these three share one load; the
    // first reads the process's peak memory, which later tests would have raised.
    void framesShareOneBudget();
    void guiAnswersWhileTheSnapshotIsRead();
    void parserKeepsWhatTheScriptTook();
    void answersBeyondTheBudgetAreCut_data();
    void answersBeyondTheBudgetAreCut();

private:
    bool PageShown() const {
        return m_f->completed > 0 && m_f->browser->LocationName() == u"frames"_qs;
    }
    QWebEnginePage *Page() const { return m_f->browser->findChild<QWebEngineView *>()->page(); }

    QTemporaryDir m_dir;
    QString m_pageUrl;
    std::unique_ptr<BrowserFixture> m_f;
};

void TestSnapshotBudget::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_f = std::make_unique<BrowserFixture>();
    m_pageUrl = hostile::WriteFramesPage(QDir(m_dir.path()));
    QVERIFY(!m_pageUrl.isEmpty());
    QVERIFY(hostile::WriteFile(m_dir.filePath(u"small.html"_qs),
                               "<!DOCTYPE html><title>small</title><p>small</p>"));
}

void TestSnapshotBudget::framesShareOneBudget() {
    // The engine's first page sets up what every later one shares; that is not the page's.
    QCOMPARE(m_f->LoadUrl(QUrl::fromLocalFile(m_dir.filePath(u"small.html"_qs)).toString()),
             u"small"_qs);
    const qint64 before = StatusKib("VmRSS");
    QVERIFY(before > 0);
    const int loaded = m_f->completed;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(m_f->browser->Navigate(m_pageUrl), S_OK);
    QVERIFY(RunUntil([&] { return m_f->completed > loaded; }, kPageTimeout));
    const qint64 peak = StatusKib("VmHWM");
    qInfo("the page completed after %lld ms; window process: %lld KiB resident before it, at "
          "most %lld KiB after (%lld KiB more)",
          clock.elapsed(), before, peak, peak - before);
    QVERIFY(PageShown());
    QVERIFY2(peak - before < kMaxGrowthKib, qPrintable(QString::number(peak - before)));

    const DocumentSnapshot &s = m_f->browser->Snapshot();
    QCOMPARE(s.frameCount, hostile::kFrames);
    QCOMPARE(s.frames.size(), engine::kMaxFrames);
    const Totals t = Count(s);
    QCOMPARE(t.frames, engine::kMaxFrames);
    // The frames hold far more elements than the budget: it is spent, and not exceeded.
    QCOMPARE(t.elements, engine::kElementBudget);
    QVERIFY(t.text <= kMaxText);
    QVERIFY(t.longestText <= engine::kMaxElementText);
    // Every frame tells its real number of elements, also one the budget did not reach.
    const int perFrame = s.frames.first().elementCount;
    QVERIFY(perFrame > 10000);
    for (const DocumentSnapshot &f : s.frames) {
        QVERIFY(f.readable);
        QCOMPARE(f.elementCount, perFrame);
        QVERIFY(f.elements.size() <= perFrame);
    }
    QVERIFY(s.frames.last().elements.isEmpty());

    // The model answers what the snapshot took.
    IDispatch *document = m_f->browser->Document();
    const ComPtr<IDispatch> frames = Object(document, "frames");
    Variant length;
    QCOMPARE(GetByName(frames.Get(), "length", &length), S_OK);
    QCOMPARE(length.ToI4(), engine::kMaxFrames);
    Variant last;
    QCOMPARE(CallByName(frames.Get(), "item", {Variant(LONG(engine::kMaxFrames - 1))}, &last),
             S_OK);
    const ComPtr<IDispatch> lastDocument = Object(last.Dispatch(), "document");
    QCOMPARE(GetByName(Object(lastDocument.Get(), "all").Get(), "length", &length), S_OK);
    QCOMPARE(length.ToI4(), 0);
    QCOMPARE(GetByName(lastDocument.Get(), "title", &length), S_OK);
    QCOMPARE(Text(length), u"frame"_qs);
}

void TestSnapshotBudget::guiAnswersWhileTheSnapshotIsRead() {
    QVERIFY(PageShown());
    QWebEnginePage *page = Page();
    KeyCounter keys;
    m_f->browser->installEventFilter(&keys);
    bool read = false, readBeforeProbe = true;
    int keysWhenRead = -1;
    QElapsedTimer clock;
    qint64 probeMs = -1, readMs = -1;
    m_f->browser->RetakeSnapshot([&] {
        read = true;
        readMs = clock.elapsed();
        keysWhenRead = keys.presses;
    });
    clock.start();
    // Scripts of one world run in order: this answer comes right after the snapshot's, while
    // that one is still being read. The window then takes a key.
    page->runJavaScript(u"0"_qs, QWebEngineScript::ApplicationWorld, [&](const QVariant &) {
        probeMs = clock.elapsed();
        readBeforeProbe = read;
        QCoreApplication::postEvent(m_f->browser.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_A,
                                                                      Qt::NoModifier, u"a"_qs));
    });
    QVERIFY(RunUntil([&] { return read; }, kLoadTimeout));
    qInfo("the GUI thread answered %lld ms after the request, the snapshot was handed over "
          "after %lld ms",
          probeMs, readMs);
    QVERIFY(probeMs >= 0);
    QVERIFY(!readBeforeProbe);
    QCOMPARE(keysWhenRead, 1);
}

void TestSnapshotBudget::parserKeepsWhatTheScriptTook() {
    QVERIFY(PageShown());
    QWebEnginePage *page = Page();
    QString answer;
    page->runJavaScript(engine::SnapshotScript(), QWebEngineScript::ApplicationWorld,
                        [&](const QVariant &result) { answer = result.toString(); });
    QVERIFY(RunUntil([&] { return !answer.isEmpty(); }, kLoadTimeout));
    qInfo("the script's answer: %lld characters", qlonglong(answer.size()));
    Totals raw;
    AddRaw(QJsonDocument::fromJson(answer.toUtf8()).object(), raw);
    QCOMPARE(raw.frames, engine::kMaxFrames);
    QCOMPARE(raw.elements, engine::kElementBudget);
    const Totals parsed = Count(engine::ParseSnapshot(answer));
    QCOMPARE(parsed.frames, raw.frames);
    QCOMPARE(parsed.elements, raw.elements);
}

void TestSnapshotBudget::answersBeyondTheBudgetAreCut_data() {
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("nested");
    QTest::addColumn<int>("elements");
    QTest::addColumn<int>("text");
    QTest::addColumn<int>("urlLength");
    QTest::addColumn<int>("topFrames");
    QTest::addColumn<int>("keptFrames");
    QTest::addColumn<int>("keptElements");
    QTest::addColumn<bool>("textSpent");
    QTest::newRow("elements stop at the page's budget")
        << 10 << 0 << 3000 << 1 << 20 << 10 << 10 << engine::kElementBudget << false;
    QTest::newRow("frames beyond the limit are absent")
        << 100 << 0 << 1 << 1 << 20 << engine::kMaxFrames << engine::kMaxFrames
        << engine::kMaxFrames + 1 << false;
    // Each frame before its own frames: five frames with their ten, the sixth with eight.
    QTest::newRow("nested frames count toward the limit")
        << 10 << 10 << 1 << 1 << 20 << 6 << engine::kMaxFrames << engine::kMaxFrames + 1 << false;
    QTest::newRow("texts stop at the page's budget")
        << 4 << 0 << 2000 << 3000 << 20 << 4 << 4 << 10000 << true;
    QTest::newRow("long texts are cut") << 0 << 0 << 10 << 100000 << 20 << 0 << 0 << 10 << false;
    QTest::newRow("a frame whose address no longer fits")
        << 3 << 0 << 0 << 0 << 3'000'000 << 1 << 1 << 0 << false;
}

void TestSnapshotBudget::answersBeyondTheBudgetAreCut() {
    QFETCH(int, frames);
    QFETCH(int, nested);
    QFETCH(int, elements);
    QFETCH(int, text);
    QFETCH(int, urlLength);
    const QString answer = QString::fromUtf8(
        QJsonDocument(ForgedDocument(frames, nested, elements, text, urlLength, true)).toJson());
    const DocumentSnapshot s = engine::ParseSnapshot(answer);
    QVERIFY(s.readable);
    const Totals t = Count(s);
    QTEST(int(s.frames.size()), "topFrames");
    QTEST(t.frames, "keptFrames");
    QTEST(t.elements, "keptElements");
    QCOMPARE(s.frameCount, frames);
    QCOMPARE(s.elementCount, elements);
    QVERIFY(t.text <= kMaxText);
    QVERIFY(t.longestText <= engine::kMaxElementText);
    QFETCH(bool, textSpent);
    if (textSpent)
        QVERIFY(t.text >= engine::kTextBudget);
    if (text > engine::kMaxElementText)
        QCOMPARE(s.elements.first().className.size(), engine::kMaxElementText);
}

QTEST_MAIN(TestSnapshotBudget)
#include "tst_SnapshotBudget.moc"
