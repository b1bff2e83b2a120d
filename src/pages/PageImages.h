#pragma once
// The image resources of the pages, drawn in code: the two field labels of the calibration page
// and the two indicator images of the digital inputs (the published ActiveImage and
// InactiveImage).

#include <QPixmap>

namespace kova {

inline constexpr int kVoltLabelImageId = 132;       // 110 x 33: 电  压, yellow on black
inline constexpr int kTrueValueLabelImageId = 133;  // 110 x 34: 实际值, yellow on black
inline constexpr int kInactiveImageId = 140;        // 16 x 16, solid green
inline constexpr int kActiveImageId = 141;          // 16 x 16, solid red

// The image of a resource number; a null pixmap for a number the tool does not have. Needs the
// application object.
QPixmap resourceImage(int id);

// An active digital input.
QPixmap ActiveImage();
// An inactive digital input.
QPixmap InactiveImage();

}  // namespace kova
