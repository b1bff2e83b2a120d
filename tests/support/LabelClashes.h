#pragma once
// The static texts of a window that do not fit their own rectangle or run into another control,
// at the font the window has: what a technician sees as cut or overlapping labels.

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>
#include <string>
#include <vector>

namespace kova::testing {

inline std::vector<std::string> labelClashes(const QWidget& window) {
    std::vector<std::string> clashes;
    // The window's own controls: its children and those of its group boxes, not the parts that
    // make up a control (a list's viewport, a box's editor).
    std::vector<const QWidget*> controls;
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        const QWidget* parent = w->parentWidget();
        if (w->isVisibleTo(&window) && qobject_cast<const QGroupBox*>(w) == nullptr &&
            (parent == &window || qobject_cast<const QGroupBox*>(parent) != nullptr)) {
            controls.push_back(w);
        }
    }
    for (const QWidget* w : controls) {
        const auto* label = qobject_cast<const QLabel*>(w);
        if (label == nullptr || label->text().isEmpty()) {
            continue;
        }
        const std::string name = label->text().toStdString();
        const QRect inside = label->contentsRect();
        const int flags = static_cast<int>(label->alignment()) |
                          (label->wordWrap() ? static_cast<int>(Qt::TextWordWrap) : 0);
        const QFontMetrics metrics(label->font());
        // The line as the label lays it out, and the ink of its glyphs on that line: the room a
        // line keeps below its characters may touch the next control, the characters may not.
        const QRect line = metrics.boundingRect(inside, flags, label->text());
        const QRect ink = metrics.tightBoundingRect(label->text());
        const QRect text(line.left(), line.top() + metrics.ascent() + ink.top(), line.width(),
                         ink.height());
        if (line.width() > inside.width()) {
            clashes.push_back("\"" + name + "\" is wider than its label");
        }
        const QRect drawn = text.translated(label->mapTo(&window, QPoint(0, 0)));
        for (const QWidget* other : controls) {
            const QRect place(other->mapTo(&window, QPoint(0, 0)), other->size());
            if (other != w && drawn.intersects(place)) {
                clashes.push_back("\"" + name + "\" runs into " + other->metaObject()->className() +
                                  " " + other->objectName().toStdString());
            }
        }
    }
    return clashes;
}

}  // namespace kova::testing
