#include "app/StatusPanels.h"

#include <QAccessibleWidget>
#include <QPainter>
#include <QResizeEvent>
#include <QShowEvent>
#include <qdrawutil.h>

#include <algorithm>

namespace {

// Assistive technology reads a panel as a label: its accessible name and description.
QAccessibleInterface *PanelAccessible(const QString &className, QObject *object) {
    if (className != u"TStatusPanel"_qs || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::StaticText);
}

} // namespace

TStatusPanel::TStatusPanel(int width, TPanelStyle style, QWidget *parent)
    : QWidget(parent), FWidth(width), FStyle(style) {
    static const bool installed = (QAccessible::installFactory(PanelAccessible), true);
    Q_UNUSED(installed);
}

void TStatusPanel::SetWidth(int width) {
    FWidth = std::max(0, width);
    if (auto *bar = qobject_cast<TStatusBar *>(parentWidget()))
        bar->LayoutPanels();
}

void TStatusPanel::SetText(const QString &text) {
    if (text == FText)
        return;
    FText = text;
    update();
}

QRect TStatusPanel::ContentRect() const {
    return rect().adjusted(1, 1, -1, -1);
}

void TStatusPanel::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    qDrawShadePanel(&painter, rect(), palette(), true, 1);
    const QRect content = ContentRect();
    painter.setClipRect(content);
    if (FStyle == TPanelStyle::OwnerDraw) {
        if (OnDrawPanel) {
            painter.save();
            OnDrawPanel(painter, content);
            painter.restore();
        }
        return;
    }
    const QRect textRect = content.adjusted(2, 0, -2, 0);
    painter.setPen(palette().windowText().color());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(FText, Qt::ElideRight, textRect.width()));
}

TStatusBar::TStatusBar(QWidget *parent) : QStatusBar(parent) {
    setSizeGripEnabled(false);
    // Room for one line of the window font plus the panels' bevels.
    setFixedHeight(std::max(19, fontMetrics().height() + 6));
}

TStatusPanel *TStatusBar::AddPanel(int width, TStatusPanel::TPanelStyle style) {
    auto *panel = new TStatusPanel(width, style, this);
    FPanels.push_back(panel);
    LayoutPanels();
    return panel;
}

void TStatusBar::SetStretchPanel(int index) {
    FStretchPanel = index;
    LayoutPanels();
}

void TStatusBar::PlaceOver(QWidget *widget, int index) {
    FOverlays.push_back({widget, index});
    LayoutPanels();
}

void TStatusBar::resizeEvent(QResizeEvent *event) {
    QStatusBar::resizeEvent(event);
    LayoutPanels();
}

void TStatusBar::showEvent(QShowEvent *event) {
    QStatusBar::showEvent(event);
    LayoutPanels();
}

void TStatusBar::LayoutPanels() {
    if (FStretchPanel >= 0 && FStretchPanel < PanelCount() && isVisible()) {
        int others = 0;
        for (int i = 0; i < PanelCount(); ++i)
            if (i != FStretchPanel)
                others += Panel(i)->Width();
        Panel(FStretchPanel)->FWidth = std::max(0, width() - others);
    }
    std::vector<int> lefts;
    int x = 0;
    for (TStatusPanel *panel : FPanels) {
        lefts.push_back(x);
        panel->setGeometry(x, 0, panel->Width(), height());
        x += panel->Width();
    }
    for (const TOverlay &overlay : FOverlays) {
        if (overlay.Index < 0 || overlay.Index >= PanelCount())
            continue;
        overlay.Widget->setGeometry(lefts[static_cast<size_t>(overlay.Index)], 1,
                                    std::max(0, Panel(overlay.Index)->Width() - 2),
                                    std::max(0, height() - 2));
        overlay.Widget->raise();
    }
}
