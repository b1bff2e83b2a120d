#include "controls/Placement.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "controls/WidgetText.h"

namespace kova {

QLabel* placeLabel(std::string_view text, QWidget* parent, const QRect& rect) {
    return place(new QLabel(qs(text), parent), rect);
}

QPushButton* placeButton(std::string_view text, QWidget* parent, const QRect& rect) {
    return place(new QPushButton(qs(text), parent), rect);
}

QRect qRectOf(const EdgeRect& edges) {
    return {edges.left, edges.top, edges.width(), edges.height()};
}

void followPageArea(QWidget& page, const QRect& area) {
    if (area.width() < 1 || area.height() < 1) {
        return;
    }
    const QWidget* parent = page.parentWidget();
    const QPoint topLeft =
        parent != nullptr ? parent->mapFromGlobal(area.topLeft()) : area.topLeft();
    page.setGeometry(QRect(topLeft, area.size()));
    page.update();
}

}  // namespace kova
