#include "app/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kova {
namespace {

// A dial with a needle: what the tool does, legible at 16 and at 32 pixels.
QPixmap drawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    p.setPen(QPen(QColor(0, 0, 128), s / 16));
    p.setBrush(QColor(255, 255, 224));
    p.drawEllipse(QRectF(s * 0.06, s * 0.06, s * 0.88, s * 0.88));
    p.setPen(QPen(QColor(200, 0, 0), s / 10, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.5, s * 0.5), QPointF(s * 0.78, s * 0.26));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    p.drawEllipse(QPointF(s * 0.5, s * 0.5), s * 0.08, s * 0.08);
    return pixmap;
}

}  // namespace

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        icon.addPixmap(drawIcon(size));
    }
    return icon;
}

}  // namespace kova
