#pragma once
// Keys a page keeps to itself: Enter after a typed value, or Escape, must never reach the main
// window, where they would end the tool.

#include <QKeyEvent>

namespace kova {

// True (and the event accepted) when the page swallows the key.
inline bool keepPageKey(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();
            return true;
        default:
            return false;
    }
}

}  // namespace kova
