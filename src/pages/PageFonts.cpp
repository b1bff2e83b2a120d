#include "pages/PageFonts.h"

#include <QFontMetrics>
#include <QString>
#include <algorithm>

namespace kova {

QFont createFont(const LogicalFont& logical) {
    QFont font(QString::fromUtf8(logical.face.data(), static_cast<qsizetype>(logical.face.size())));
    font.setPixelSize(logical.height);
    font.setWeight(static_cast<QFont::Weight>(logical.weight));
    const int natural = QFontMetrics(font).averageCharWidth();
    if (natural > 0) {
        // Qt's stretch runs from 1 to 4000 percent.
        font.setStretch(std::clamp(logical.width * 100 / natural, 1, 4000));
    }
    return font;
}

}  // namespace kova
