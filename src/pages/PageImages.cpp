#include "pages/PageImages.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QString>

namespace kova {

namespace {

const QColor kLabelText(255, 255, 0);
constexpr int kLabelWidth = 110;
constexpr int kLabelTextPixels = 24;

QPixmap labelImage(int height, const QString& text) {
    QPixmap image(kLabelWidth, height);
    image.fill(Qt::black);
    QPainter painter(&image);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(kLabelTextPixels);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(kLabelText);
    painter.drawText(image.rect(), Qt::AlignCenter, text);
    return image;
}

QPixmap solidImage(const QColor& color) {
    constexpr int kSide = 16;
    QPixmap image(kSide, kSide);
    image.fill(color);
    return image;
}

}  // namespace

QPixmap resourceImage(int id) {
    switch (id) {
        case kVoltLabelImageId:
            // The two characters stand apart, as on the station's label.
            return labelImage(33, QStringLiteral("电  压"));
        case kTrueValueLabelImageId:
            return labelImage(34, QStringLiteral("实际值"));
        case kInactiveImageId:
            return solidImage(QColor(0, 255, 0));
        case kActiveImageId:
            return solidImage(QColor(255, 0, 0));
        default:
            return {};
    }
}

QPixmap ActiveImage() {
    return resourceImage(kActiveImageId);
}

QPixmap InactiveImage() {
    return resourceImage(kInactiveImageId);
}

}  // namespace kova
