// The print preview of a long document: it opens, shows its first page, renders pages as they
// come into view and holds only a few of them, and the window process stays bounded.

#include "BrowserFixture.h"
#include "HostilePages.h"
#include "ProcessMemory.h"
#include "ShowsRed.h"

#include "platform/engine/DocumentCommands.h"
#include "platform/engine/EngineEnvironment.h"
#include "platform/engine/PreviewPages.h"
#include "platform/engine/PrintPreview.h"

#include <QAction>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>

#include <set>

namespace {

// Laying out 400 pages takes the engine a while on a small machine.
constexpr int kLayoutTimeout = 180000;
// The window process may grow by this much while the preview opens and is scrolled through (it
// reached 6.3 GB when every page was rendered at once).
constexpr qint64 kMaxGrowthKib = 300 * 1024;

} // namespace

class TestPrintPreview final : public QObject {
    Q_OBJECT
public:
    static void initMain() { engine::PrepareEngineEnvironment(); }

private slots:
    void init() { m_f = std::make_unique<BrowserFixture>(); }
    void cleanup() { m_f.reset(); }
    void longDocumentIsShownAsItIsScrolled();

private:
    std::unique_ptr<BrowserFixture> m_f;
};

void TestPrintPreview::longDocumentIsShownAsItIsScrolled() {
    QTemporaryDir dir;
    const QString url = hostile::WriteLongDocument(QDir(dir.path()));
    QVERIFY(!url.isEmpty());
    QCOMPARE(m_f->LoadUrl(url), u"pages"_qs);

    const qint64 before = StatusKib("VmRSS");
    QVERIFY(before > 0);
    engine::DocumentCommands &commands = m_f->browser->Commands();
    QSignalSpy ready(&commands, &engine::DocumentCommands::PreviewReady);
    QCOMPARE(m_f->browser->ExecWB(OLECMDID_PRINTPREVIEW, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr),
             S_OK);
    QVERIFY(ready.wait(kLayoutTimeout));
    QCOMPARE(ready.first().first().toBool(), true);
    engine::PrintPreviewWindow *preview = commands.PreviewWindow();
    QVERIFY(preview && preview->isVisible());
    QCOMPARE(preview->PageCount(), hostile::kPages);
    engine::PreviewPages *pages = preview->Pages();
    QScrollBar *bar = preview->ScrollArea()->verticalScrollBar();
    const int viewHeight = preview->ScrollArea()->viewport()->height();
    const auto shownNow = [&] {
        const QRect view(0, bar->value(), pages->width(), viewHeight);
        std::set<int> shown;
        for (int page = pages->PageAt(view.top()); page <= pages->PageAt(view.bottom()); ++page) {
            if (pages->PageRect(page).intersects(view))
                shown.insert(page);
        }
        return shown;
    };
    const auto heldAll = [&](const std::set<int> &wanted) {
        const QList<int> held = pages->HeldPages();
        return std::all_of(wanted.begin(), wanted.end(),
                           [&](int page) { return held.contains(page); });
    };

    // The first page is on screen, and only what the view shows was rendered.
    QVERIFY(QTest::qWaitFor([&] { return ShowsRed(preview); }, kLoadTimeout));
    std::set<int> everShown = shownNow();
    QVERIFY(QTest::qWaitFor([&] { return heldAll(everShown); }, kLoadTimeout));
    // What is held: never more than the cap, and only pages that were on screen.
    const auto heldProblem = [&]() -> QString {
        const QList<int> held = pages->HeldPages();
        if (held.size() > engine::kMaxHeldPages)
            return u"%1 pages held"_qs.arg(held.size());
        for (int page : held) {
            if (!everShown.count(page))
                return u"page %1 held but never shown"_qs.arg(page);
        }
        return {};
    };
    QCOMPARE(heldProblem(), QString());

    // Scrolling brings pages as they come into view; the oldest go.
    for (const int target : {100, 250, hostile::kPages - 1}) {
        bar->setValue(pages->PageRect(target).top());
        const std::set<int> shown = shownNow();
        everShown.insert(shown.begin(), shown.end());
        QVERIFY2(QTest::qWaitFor([&] { return heldAll(shown); }, kLoadTimeout),
                 qPrintable(QString::number(target)));
        QCOMPARE(heldProblem(), QString());
    }

    // At the smallest scale the view shows several pages; still no more than the cap is held.
    QAction *smaller = nullptr;
    for (QAction *action : preview->findChildren<QAction *>()) {
        if (action->text() == u"縮小"_qs)
            smaller = action;
    }
    QVERIFY(smaller);
    while (pages->Scale() > engine::PreviewPages::kMinScale)
        smaller->trigger();
    bar->setValue(pages->PageRect(hostile::kPages / 2).top());
    const std::set<int> shown = shownNow();
    QVERIFY(shown.size() > 2);
    everShown.insert(shown.begin(), shown.end());
    QVERIFY(QTest::qWaitFor([&] { return heldAll(shown); }, kLoadTimeout));
    QCOMPARE(heldProblem(), QString());

    const qint64 peak = StatusKib("VmHWM");
    qInfo("window process: %lld KiB resident before the preview, at most %lld KiB after (%lld "
          "KiB more)",
          before, peak, peak - before);
    QVERIFY2(peak - before < kMaxGrowthKib, qPrintable(QString::number(peak - before)));
}

QTEST_MAIN(TestPrintPreview)
#include "tst_PrintPreview.moc"
