#include "platform/urlmon/ZoneIcon.h"

#include "platform/urlmon/WideText.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <string>

namespace {

enum class Drawing { Computer, Intranet, Trusted, Internet, Restricted };

struct IconResource {
    std::string_view module;
    int number;
    Drawing drawing;
};

// The modules and resource numbers zone attributes name (also the protected-mode variants).
constexpr std::array<IconResource, 11> kResources{{
    {"explorer.exe", 100, Drawing::Computer},
    {"shell32.dll", 16, Drawing::Computer},
    {"shell32.dll", 18, Drawing::Intranet},
    {"inetcpl.cpl", 4480, Drawing::Trusted},
    {"inetcpl.cpl", 1313, Drawing::Internet},
    {"inetcpl.cpl", 4481, Drawing::Restricted},
    {"inetcpl.cpl", 5422, Drawing::Computer},
    {"inetcpl.cpl", 5423, Drawing::Intranet},
    {"inetcpl.cpl", 5424, Drawing::Trusted},
    {"inetcpl.cpl", 5425, Drawing::Internet},
    {"inetcpl.cpl", 5426, Drawing::Restricted},
}};

// Draws in a 32 x 32 coordinate space, scaled to the requested size.
void Draw(QPainter &p, Drawing drawing) {
    p.setRenderHint(QPainter::Antialiasing);
    const QPen outline(QColor(40, 40, 40), 1.5);
    switch (drawing) {
    case Drawing::Computer:
        p.setPen(outline);
        p.setBrush(QColor(200, 200, 205));
        p.drawRoundedRect(QRectF(3, 4, 26, 19), 2, 2);
        p.setBrush(QColor(40, 110, 200));
        p.drawRect(QRectF(6, 7, 20, 13));
        p.setBrush(QColor(170, 170, 175));
        p.drawRect(QRectF(13, 23, 6, 3));
        p.drawRoundedRect(QRectF(7, 26, 18, 3), 1, 1);
        break;
    case Drawing::Intranet:
        p.setPen(outline);
        p.setBrush(QColor(225, 200, 150));
        p.drawRect(QRectF(5, 6, 22, 23));
        p.setBrush(QColor(80, 130, 190));
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                p.drawRect(QRectF(8 + col * 6.5, 9 + row * 5.5, 3.5, 3));
        p.setBrush(QColor(110, 70, 40));
        p.drawRect(QRectF(14, 24, 4, 5));
        break;
    case Drawing::Trusted: {
        p.setPen(QPen(QColor(20, 100, 30), 1.5));
        p.setBrush(QColor(50, 160, 60));
        p.drawEllipse(QRectF(3, 3, 26, 26));
        QPen check(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(check);
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(9, 16.5), QPointF(14, 21.5), QPointF(23, 11)}));
        break;
    }
    case Drawing::Internet: {
        p.setPen(QPen(QColor(20, 60, 130), 1.5));
        p.setBrush(QColor(70, 140, 220));
        const QRectF globe(3, 3, 26, 26);
        p.drawEllipse(globe);
        p.setPen(QPen(QColor(230, 240, 255), 1.3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(10, 3, 12, 26));
        p.drawLine(QPointF(16, 3), QPointF(16, 29));
        p.drawLine(QPointF(3, 16), QPointF(29, 16));
        p.drawLine(QPointF(5.5, 9.5), QPointF(26.5, 9.5));
        p.drawLine(QPointF(5.5, 22.5), QPointF(26.5, 22.5));
        break;
    }
    case Drawing::Restricted:
        p.setPen(QPen(QColor(130, 10, 10), 1.5));
        p.setBrush(QColor(210, 30, 30));
        p.drawEllipse(QRectF(3, 3, 26, 26));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(8, 13.5, 16, 5));
        break;
    }
}

class ZoneIconEngine final : public QIconEngine {
public:
    explicit ZoneIconEngine(Drawing drawing) : m_drawing(drawing) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 32.0, rect.height() / 32.0);
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.4);
        Draw(*painter, m_drawing);
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine *clone() const override { return new ZoneIconEngine(m_drawing); }
    QString key() const override { return QStringLiteral("QuillmereZoneIcon"); }

private:
    Drawing m_drawing;
};

std::optional<Drawing> Resolve(std::string_view iconPath) {
    const auto hash = iconPath.find('#');
    if (hash == std::string_view::npos || hash == 0)
        return std::nullopt;
    const std::string module = urlmon::AsciiLower(iconPath.substr(0, hash));
    const std::string_view digits = iconPath.substr(hash + 1);
    int number = -1;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    for (const IconResource &resource : kResources)
        if (resource.module == module && resource.number == number)
            return resource.drawing;
    return std::nullopt;
}

} // namespace

QIcon LoadZoneIcon(std::string_view iconPath) {
    const auto drawing = Resolve(iconPath);
    return drawing ? QIcon(new ZoneIconEngine(*drawing)) : QIcon();
}
