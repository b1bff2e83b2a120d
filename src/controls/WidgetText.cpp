#include "controls/WidgetText.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <QWidget>

namespace kova {

QString qs(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string textOf(const QLineEdit& field) {
    return field.text().toStdString();
}

std::string textOf(const QComboBox& box) {
    return box.currentText().toStdString();
}

void paintText(QWidget& widget, const QColor& text, const QColor* back) {
    QPalette p = widget.palette();
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Text, text);
    if (back != nullptr) {
        p.setColor(QPalette::Base, *back);
    }
    widget.setPalette(p);
}

}  // namespace kova
