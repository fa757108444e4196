#include "peak_mark.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace {
constexpr int kMarkPixels = 32;
}

QImage PeakMarkImage() {
    QImage image(kMarkPixels, kMarkPixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    // A shaft and a wide head, the tip on the bottom edge at the centre column.
    const QPolygonF arrow{{
        {12.5, 1.5},
        {19.5, 1.5},
        {19.5, 15.5},
        {27.5, 15.5},
        {16.0, 31.5},
        {4.5, 15.5},
        {12.5, 15.5},
    }};
    QPen outline(QColor(255, 255, 255));
    outline.setWidthF(1.5);
    p.setPen(outline);
    p.setBrush(QColor(255, 32, 32));
    p.drawPolygon(arrow);
    return image;
}
