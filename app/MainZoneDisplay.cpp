// TForm1: the zone panel and the security-category panel of the status bar.

#include "app/Main.h"

#include "app/ImageList.h"
#include "app/MainUnit.h"
#include "host/WebBrowserSecure.h"
#include "policy/LocalBrowseSettings.h"

#include <QPainter>

int TForm1::ZoneForUrl(const QString &address) {
    if (!SecurityManager)
        return LocalBrowse().DefaultSecurityZone();
    return zonedisplay::ZoneForUrl(*SecurityManager, LocalBrowse().Rule(), address.toStdString());
}

void TForm1::DrawZonePanel(QPainter &painter, const QRect &rect) {
    if (CurrentZone == -1 && BrowserHost && !BrowserHost->LocationURL().isEmpty())
        CurrentZone = ZoneForUrl(BrowserHost->LocationURL());
    const int index = zonedisplay::ZoneListIndex(CurrentZone, UnknownZoneIndex);
    DebugTrace(u"zoneIndex="_qs + QString::number(index));
    const QSize icon = imgSecurityZone->Size();
    imgSecurityZone->At(index).paint(&painter, QRect(rect.topLeft(), icon));
    painter.drawText(QRect(rect.left() + icon.width() + 2, rect.top(),
                           rect.width() - icon.width() - 2, rect.height()),
                     Qt::AlignVCenter | Qt::AlignLeft, ZoneNames.value(index));
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
}
