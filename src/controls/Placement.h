#pragma once
// Placing the controls of a window template: at their rectangles (dialogUnitRect), named by
// their template ids where the template gives one; and a page following the main window's page
// area.

#include <QPushButton>
#include <QRect>
#include <QString>
#include <string_view>

#include "controls/DialogUnits.h"
#include "platform/EdgeRect.h"

class QLabel;
class QWidget;

namespace kova {

template <typename Widget>
Widget* place(Widget* widget, const QRect& rect) {
    widget->setGeometry(rect);
    return widget;
}

// The control named by its template id, as tests and the line's tools find it.
template <typename Widget>
Widget* place(Widget* widget, const QRect& rect, const char* id) {
    widget->setObjectName(QString::fromUtf8(id));
    return place(widget, rect);
}

// A plain label and a push button with their UTF-8 texts.
QLabel* placeLabel(std::string_view text, QWidget* parent, const QRect& rect);
QPushButton* placeButton(std::string_view text, QWidget* parent, const QRect& rect);

// A push button of `window` that runs the window's `command` when clicked.
template <typename Window, typename Command>
QPushButton* placeButton(std::string_view text, Window* window, const QRect& rect,
                         Command command) {
    QPushButton* button = placeButton(text, static_cast<QWidget*>(window), rect);
    QObject::connect(button, &QPushButton::clicked, window, command);
    return button;
}

// A rectangle by its edges as Qt holds it.
QRect qRectOf(const EdgeRect& edges);

// Moves the page onto the screen rectangle `area` (mapped into its parent) and repaints it. An
// empty area, as before the main window's first tick, leaves the page where it is.
void followPageArea(QWidget& page, const QRect& area);

}  // namespace kova
