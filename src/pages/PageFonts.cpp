#include "pages/PageFonts.h"

#include <QFontMetrics>
#include <QString>
#include <algorithm>

namespace kova {

QFont createFont(const LogicalFont& spec) {
    QFont font(QString::fromUtf8(spec.face.data(), static_cast<qsizetype>(spec.face.size())));
    font.setPixelSize(spec.height);
    font.setWeight(static_cast<QFont::Weight>(spec.weight));
    const int natural = QFontMetrics(font).averageCharWidth();
    if (natural > 0) {
        // Qt's stretch runs from 1 to 4000 percent.
        font.setStretch(std::clamp(spec.width * 100 / natural, 1, 4000));
    }
    return font;
}

}  // namespace kova
