#pragma once
// The fonts the pages give their boxes, fields and lists, named as the station's windows name
// them: a face with a cell height, an average character width and a weight, in pixels; and the
// colours of the calibration page's lists, which the records page shares.

#include <QColor>
#include <QFont>
#include <string_view>

namespace kova {

struct LogicalFont {
    std::string_view face;
    int height;  // pixels
    int width;   // average character width, pixels
    int weight;  // 100 to 900
};

// The boxes, fields and channel-number texts of the calibration page.
inline constexpr LogicalFont kPageFieldFont{"宋体", 28, 12, 300};
// Its two lists.
inline constexpr LogicalFont kPageListFont{"宋体", 17, 7, 300};

inline const QColor kPageListText(0, 0, 255);
inline const QColor kPageListBack(240, 248, 233);

// The font; its average width is kept by stretching the face the system substitutes.
QFont createFont(const LogicalFont& logical);

}  // namespace kova
