#pragma once
// Texts between the tool's UTF-8 strings and Qt's widgets, and the colours a window paints a
// control's text in.

#include <QColor>
#include <QString>
#include <string>
#include <string_view>

class QComboBox;
class QLineEdit;
class QWidget;

namespace kova {

// UTF-8 text as Qt holds it.
QString qs(std::string_view utf8);

// A field's or a box's current text in UTF-8.
std::string textOf(const QLineEdit& field);
std::string textOf(const QComboBox& box);

// Gives the widget's text colour, and with `back` its field background; without one the control
// is drawn over its window's own background.
void paintText(QWidget& widget, const QColor& text, const QColor* back = nullptr);

}  // namespace kova
