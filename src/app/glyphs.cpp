// Drawing of the button glyphs; see glyphs.h. Each picture is drawn on a 16 × 16 grid and
// scaled to the size asked for, once for each screen scale.
#include "app/glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

#include <cmath>

namespace zenta {
namespace {

const QColor kBlue(0x1f, 0x5f, 0xd0);
const QColor kRed(0xd0, 0x20, 0x20);
const QColor kGreen(0x20, 0xa0, 0x30);

void DrawArrow(QPainter& p, bool left) {
    QPolygonF arrow{{1, 8}, {8, 1}, {8, 5}, {15, 5}, {15, 11}, {8, 11}, {8, 15}};
    if (!left) {
        for (QPointF& point : arrow) point.setX(16 - point.x());
    }
    p.setPen(QPen(kBlue.darker(140), 0.8));
    p.setBrush(kBlue);
    p.drawPolygon(arrow);
}

void DrawStopSign(QPainter& p) {
    QPolygonF octagon;
    for (int i = 0; i < 8; ++i) {
        const double angle = (22.5 + 45.0 * i) * M_PI / 180.0;
        octagon << QPointF(8 + 7.4 * std::cos(angle), 8 + 7.4 * std::sin(angle));
    }
    p.setPen(QPen(Qt::white, 0.9));
    p.setBrush(kRed);
    p.drawPolygon(octagon);
    p.setPen(QPen(Qt::white, 1.8));
    p.drawLine(QPointF(5, 8), QPointF(11, 8));
}

void DrawGlobe(QPainter& p) {
    p.setPen(QPen(kBlue.darker(150), 0.9));
    p.setBrush(QColor(0x6f, 0xb0, 0xf0));
    p.drawEllipse(QPointF(8, 8), 7, 7);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(8, 8), 3, 7);
    p.drawLine(QPointF(1, 8), QPointF(15, 8));
    p.drawLine(QPointF(2.5, 4.5), QPointF(13.5, 4.5));
    p.drawLine(QPointF(2.5, 11.5), QPointF(13.5, 11.5));
}

void DrawOpenBook(QPainter& p) {
    p.setPen(QPen(QColor(0x60, 0x40, 0x20), 0.9));
    p.setBrush(QColor(0xfa, 0xf4, 0xdc));
    p.drawPolygon(QPolygonF{{8, 4}, {1, 2}, {1, 13}, {8, 15}});
    p.drawPolygon(QPolygonF{{8, 4}, {15, 2}, {15, 13}, {8, 15}});
    p.setPen(QPen(QColor(0x90, 0x90, 0x90), 0.7));
    for (double y : {6.0, 8.5, 11.0}) {
        p.drawLine(QPointF(3, y - 1), QPointF(6.5, y));
        p.drawLine(QPointF(9.5, y), QPointF(13, y - 1));
    }
}

void DrawMagnifier(QPainter& p) {
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.4));
    p.setBrush(QColor(0xc8, 0xe4, 0xff));
    p.drawEllipse(QPointF(6.5, 6.5), 5, 5);
}

void DrawDiskWithArrow(QPainter& p) {
    p.setPen(QPen(QColor(0x20, 0x20, 0x40), 0.8));
    p.setBrush(QColor(0x40, 0x48, 0x80));
    p.drawRect(QRectF(1, 3, 12, 12));
    p.setBrush(QColor(0xe8, 0xe8, 0xe8));
    p.drawRect(QRectF(3.5, 3, 7, 4.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3, 10, 8, 5));
    p.setPen(QPen(kGreen.darker(150), 0.8));
    p.setBrush(kGreen);
    p.drawPolygon(QPolygonF{{10, 0.5}, {13, 0.5}, {13, 5}, {15.5, 5}, {11.5, 9.5}, {7.5, 5}, {10, 5}});
}

// The glyph drawn for a screen of `ratio` device pixels to each pixel of the layout.
QPixmap GlyphPixmap(Glyph glyph, int size, int ratio) {
    QPixmap pixmap(size * ratio, size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    switch (glyph) {
        case Glyph::LeftArrow:
            DrawArrow(p, true);
            break;
        case Glyph::RightArrow:
            DrawArrow(p, false);
            break;
        case Glyph::StopSign:
            DrawStopSign(p);
            break;
        case Glyph::Globe:
            DrawGlobe(p);
            break;
        case Glyph::OpenBook:
            DrawOpenBook(p);
            break;
        case Glyph::Magnifier:
            DrawMagnifier(p);
            break;
        case Glyph::DiskWithArrow:
            DrawDiskWithArrow(p);
            break;
    }
    p.end();
    return pixmap;
}

// Enough for the scales desktops use; a finer screen takes the 3x picture.
constexpr int kRatios[] = {1, 2, 3};

}  // namespace

QIcon GlyphIcon(Glyph glyph, int size) {
    // Each scale gets its own drawing: an enlarged picture would be blurred.
    QIcon icon;
    for (int ratio : kRatios) icon.addPixmap(GlyphPixmap(glyph, size, ratio));
    return icon;
}

}  // namespace zenta
