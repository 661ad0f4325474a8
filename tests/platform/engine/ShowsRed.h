#pragma once
// Whether a widget shows a fixture's red block: a picture of it has a clearly red pixel (every
// second pixel of every second row is looked at).

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QWidget>

inline bool ShowsRed(QWidget *widget) {
    const QImage shot = widget->grab().toImage();
    for (int y = 0; y < shot.height(); y += 2) {
        for (int x = 0; x < shot.width(); x += 2) {
            const QColor c = shot.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 80 && c.blue() < 80)
                return true;
        }
    }
    return false;
}
