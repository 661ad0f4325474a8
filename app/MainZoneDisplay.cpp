// TForm1: the zone panel and the security-category panel of the status bar, and its tooltips.

#include "app/Main.h"

#include "app/ImageList.h"
#include "app/MainUnit.h"
#include "app/StatusPanels.h"
#include "host/WebBrowserSecure.h"
#include "policy/LocalBrowseSettings.h"

#include <QEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <functional>
#include <vector>

namespace {

// Runs a handler for every tooltip request of the watched widget; the request is consumed.
class TToolTipHook final : public QObject {
public:
    TToolTipHook(QObject *parent, std::function<void(QHelpEvent &)> handler)
        : QObject(parent), FHandler(std::move(handler)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::ToolTip)
            return QObject::eventFilter(watched, event);
        FHandler(*static_cast<QHelpEvent *>(event));
        return true;
    }

private:
    std::function<void(QHelpEvent &)> FHandler;
};

} // namespace

// Tooltip requests over the status bar take their text from the panel under the mouse; panels 1
// and 3 are drawn here.
void TForm1::WireStatusBar() {
    StatusBar1->installEventFilter(new TToolTipHook(this, [this](QHelpEvent &event) {
        if (!StatusBar1->rect().contains(event.pos()))
            return;
        std::vector<int> widths;
        for (int i = 0; i < StatusBar1->PanelCount(); ++i)
            widths.push_back(StatusBar1->Panel(i)->Width());
        std::string hint;
        if (zonedisplay::PanelHint(zonedisplay::PanelAt(widths, event.pos().x()),
                                   PageDateText.toStdString(), SecurityCategories,
                                   StatusBar1->Panel(spStatusText)->Text().toStdString(), hint))
            StatusBar1->setToolTip(QString::fromStdString(hint));
        QToolTip::showText(event.globalPos(), StatusBar1->toolTip(), StatusBar1);
    }));
    StatusBar1->Panel(spZone)->OnDrawPanel = [this](QPainter &p, const QRect &r) {
        DrawZonePanel(p, r);
    };
    StatusBar1->Panel(spCategories)->OnDrawPanel = [this](QPainter &p, const QRect &r) {
        DrawCategoryPanel(p, r);
    };
}

int TForm1::ZoneForUrl(const QString &address) {
    if (!SecurityManager)
        return LocalBrowse().DefaultSecurityZone();
    return zonedisplay::ZoneForUrl(*SecurityManager, LocalBrowse().Rule(), address.toStdString());
}

// Icon and name as drawn: the icon at the panel's top left, the name's cell beside it, two
// pixels down.
void TForm1::DrawZonePanel(QPainter &painter, const QRect &rect) {
    if (CurrentZone == -1 && BrowserHost && !BrowserHost->LocationURL().isEmpty())
        CurrentZone = ZoneForUrl(BrowserHost->LocationURL());
    const int index = zonedisplay::ZoneListIndex(CurrentZone, UnknownZoneIndex);
    DebugTrace(u"zoneIndex="_qs + QString::number(index));
    const QSize icon = imgSecurityZone->Size();
    imgSecurityZone->At(index).paint(&painter, QRect(rect.topLeft(), icon));
    painter.drawText(QRect(rect.left() + icon.width(), rect.top() + 2, rect.width() - icon.width(),
                           rect.height() - 2),
                     Qt::AlignLeft | Qt::AlignTop, ZoneNames.value(index));
    DescribePanel(spZone, ZoneNames.value(index));
}

void TForm1::DrawCategoryPanel(QPainter &painter, const QRect &rect) {
    const QSize picture = SecurityImage->Size();
    for (int i = 0; i < SecurityImage->Count(); ++i) {
        if (SecurityCategories.test(size_t(i)))
            SecurityImage->At(i).paint(
                &painter, QRect(QPoint(rect.left() + i * picture.width(),
                                       rect.top() - 2 + (rect.height() - picture.height() + 4) / 2),
                                picture));
    }
    DescribePanel(spCategories,
                  QString::fromStdString(zonedisplay::CategoryNames(SecurityCategories)));
}

void TForm1::SetPanelText(int index, const QString &text) {
    StatusBar1->Panel(index)->SetText(text);
    DescribePanel(index, text);
}

// A panel's accessible name is what it shows, its description its tooltip; the descriptions
// follow the page state, so all of them are renewed with each name.
void TForm1::DescribePanel(int index, const QString &shown) {
    TStatusPanel *named = StatusBar1->Panel(index);
    if (named->accessibleName() != shown)
        named->setAccessibleName(shown);
    for (int i = 0; i < StatusBar1->PanelCount(); ++i) {
        std::string hint;
        zonedisplay::PanelHint(i + 1, PageDateText.toStdString(), SecurityCategories,
                               StatusBar1->Panel(spStatusText)->Text().toStdString(), hint);
        TStatusPanel *panel = StatusBar1->Panel(i);
        if (const QString description = QString::fromStdString(hint);
            panel->accessibleDescription() != description)
            panel->setAccessibleDescription(description);
    }
}
