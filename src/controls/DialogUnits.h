#pragma once
// Dialog units of the tool's templates to pixels, with the base units of its 9-point dialog font
// (6 x 12 pixels per 4 x 8 dialog units), rounded the way Windows maps dialog templates.

#include <QRect>
#include <QSize>

namespace kova {

// number * numerator / denominator computed in 64 bits and rounded half away from zero, as
// Windows' MulDiv; -1 when the denominator is 0 or the result leaves the 32-bit range.
int MulDiv(int number, int numerator, int denominator);

inline int dialogUnitsToPixelsX(int du) {
    return MulDiv(du, 6, 4);
}
inline int dialogUnitsToPixelsY(int du) {
    return MulDiv(du, 12, 8);
}

// A template rectangle (x, y, width, height in dialog units) in pixels; each value converts on
// its own, as Windows converts the four numbers of a template entry.
inline QRect dialogUnitRect(int x, int y, int width, int height) {
    return {dialogUnitsToPixelsX(x), dialogUnitsToPixelsY(y), dialogUnitsToPixelsX(width),
            dialogUnitsToPixelsY(height)};
}

// A template's size (width, height in dialog units) in pixels.
inline QSize dialogUnitSize(int width, int height) {
    return {dialogUnitsToPixelsX(width), dialogUnitsToPixelsY(height)};
}

}  // namespace kova
