// The status bar's panels: widths, the stretching panel, owner drawing and the widget kept over
// a panel.

#include "app/StatusPanels.h"

#include <QPainter>
#include <QProgressBar>
#include <QtTest>

#include <memory>

namespace {

using Style = TStatusPanel::TPanelStyle;

// The main window's arrangement: date, categories, status text (stretching), zone.
std::unique_ptr<TStatusBar> NewBar() {
    auto bar = std::make_unique<TStatusBar>(nullptr);
    bar->AddPanel(120, Style::Text);
    bar->AddPanel(120, Style::OwnerDraw);
    bar->AddPanel(300, Style::Text);
    bar->AddPanel(120, Style::OwnerDraw);
    bar->SetStretchPanel(2);
    return bar;
}

void ShowAtWidth(TStatusBar &bar, int width) {
    bar.resize(width, bar.height());
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
}

} // namespace

class TestStatusBar final : public QObject {
    Q_OBJECT
private slots:
    void designWidthsBeforeShown() {
        auto bar = NewBar();
        const int expected[] = {120, 120, 300, 120};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(bar->Panel(i)->Width(), expected[i]);
    }

    void panelsFillTheBar_data() {
        QTest::addColumn<int>("barWidth");
        QTest::addColumn<int>("stretched");
        QTest::newRow("layout width") << 684 << 324;
        QTest::newRow("wide") << 1200 << 840;
        QTest::newRow("exactly the fixed panels") << 360 << 0;
        QTest::newRow("narrower than the fixed panels") << 200 << 0;
    }
    void panelsFillTheBar() {
        QFETCH(int, barWidth);
        QFETCH(int, stretched);
        auto bar = NewBar();
        ShowAtWidth(*bar, barWidth);
        const int widths[] = {120, 120, stretched, 120};
        int left = 0;
        for (int i = 0; i < 4; ++i) {
            const TStatusPanel *panel = bar->Panel(i);
            QCOMPARE(panel->Width(), widths[i]);
            QCOMPARE(panel->geometry(), QRect(left, 0, widths[i], bar->height()));
            left += widths[i];
        }
    }

    void fixedPanelWidthChangeMovesTheRest() {
        auto bar = NewBar();
        auto *overlay = new QProgressBar(bar.get());
        bar->PlaceOver(overlay, 1);
        ShowAtWidth(*bar, 800);
        bar->Panel(0)->SetWidth(200);
        QCOMPARE(bar->Panel(1)->x(), 200);
        QCOMPARE(bar->Panel(2)->Width(), 800 - 200 - 120 - 120);
        QCOMPARE(overlay->x(), 200);
    }

    void overlayStaysOverItsPanel_data() {
        QTest::addColumn<int>("barWidth");
        QTest::newRow("layout width") << 684;
        QTest::newRow("after widening") << 1000;
    }
    void overlayStaysOverItsPanel() {
        QFETCH(int, barWidth);
        auto bar = NewBar();
        auto *overlay = new QProgressBar(bar.get());
        bar->PlaceOver(overlay, 1);
        ShowAtWidth(*bar, 500);
        bar->resize(barWidth, bar->height());
        QCOMPARE(overlay->geometry(), QRect(120, 1, 118, bar->height() - 2));
        QVERIFY(bar->Panel(1)->geometry().contains(overlay->geometry()));
    }

    void ownerDrawHookPaintsOnlyItsPanel_data() {
        QTest::addColumn<int>("hooked");
        QTest::newRow("categories") << 1;
        QTest::newRow("zone") << 3;
    }
    void ownerDrawHookPaintsOnlyItsPanel() {
        QFETCH(int, hooked);
        auto bar = NewBar();
        QRect drawnRect;
        bar->Panel(hooked)->OnDrawPanel = [&](QPainter &painter, const QRect &rect) {
            drawnRect = rect;
            painter.fillRect(rect, Qt::red);
        };
        ShowAtWidth(*bar, 684);
        const QImage image = bar->grab().toImage();
        QCOMPARE(drawnRect, bar->Panel(hooked)->ContentRect());
        for (int i = 0; i < 4; ++i) {
            const QPoint centre = bar->Panel(i)->geometry().center();
            QCOMPARE(image.pixelColor(centre) == QColor(Qt::red), i == hooked);
        }
    }

    void textPanelIgnoresTheHook() {
        auto bar = NewBar();
        bool called = false;
        bar->Panel(2)->OnDrawPanel = [&](QPainter &, const QRect &) { called = true; };
        bar->Panel(2)->SetText(u"ページが表示されました"_qs);
        ShowAtWidth(*bar, 684);
        bar->grab();
        QVERIFY(!called);
    }
};

QTEST_MAIN(TestStatusBar)
#include "tst_StatusBar.moc"
