#pragma once
// A rectangle by its edges in pixels, as Windows gives one: right and bottom lie just outside.

namespace kova {

struct EdgeRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const EdgeRect&, const EdgeRect&) = default;
};

}  // namespace kova
