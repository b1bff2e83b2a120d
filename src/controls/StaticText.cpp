#include "controls/StaticText.h"

#include <QEvent>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace {

// Narrower than this a text is no longer read at a glance; it is cut instead.
constexpr int kNarrowestStretch = 70;

}  // namespace

CStaticText::CStaticText(const QString& text, QWidget* parent) : QLabel(text, parent) {
    Fit();
}

void CStaticText::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        Fit();
    }
}

void CStaticText::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Fit();
}

void CStaticText::Fit() {
    if (fitting_) {
        return;
    }
    fitting_ = true;
    QFont plain = font();
    plain.setStretch(QFont::Unstretched);
    const double advance = QFontMetricsF(plain).horizontalAdvance(text());
    const int room = contentsRect().width();
    int stretch = QFont::Unstretched;
    if (advance > room && advance > 0) {
        stretch = std::max(kNarrowestStretch,
                           static_cast<int>(std::floor(QFont::Unstretched * room / advance)));
    }
    QFont fitted = plain;
    fitted.setStretch(stretch);
    // A stretch the font cannot show narrows nothing: step down until the text fits.
    while (stretch > kNarrowestStretch && QFontMetricsF(fitted).horizontalAdvance(text()) > room) {
        fitted.setStretch(--stretch);
    }
    if (fitted != font()) {
        setFont(fitted);
    }
    fitting_ = false;
}
