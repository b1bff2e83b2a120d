#include "controls/logic/CellEditGeometry.h"

namespace kova {

int columnAtX(int x, int rowLeft, const std::vector<int>& widths) {
    int left = rowLeft;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        if (x >= left && x <= left + widths[i]) {
            return static_cast<int>(i);
        }
        left += widths[i];
    }
    return -1;
}

int columnLeft(int rowLeft, const std::vector<int>& widths, int column) {
    int left = rowLeft;
    for (int i = 0; i < column && i < static_cast<int>(widths.size()); ++i) {
        left += widths[static_cast<std::size_t>(i)];
    }
    return left;
}

int scrollToShowColumn(int rowLeft, int clientRight, const std::vector<int>& widths, int column) {
    if (column < 0 || column >= static_cast<int>(widths.size())) {
        return 0;
    }
    const int x = columnLeft(rowLeft, widths, column);
    const int width = widths[static_cast<std::size_t>(column)];
    if (x < 0 || x > clientRight) {
        return x;
    }
    if (x + width > clientRight) {
        return x + width - clientRight;
    }
    return 0;
}

bool isEditCharAllowed(char32_t c, std::u32string_view allowed) {
    if (allowed.empty()) {
        return true;
    }
    if (c == 3 || c == 8 || c == 22 || c == 24) {
        return true;
    }
    return allowed.find(c) != std::u32string_view::npos;
}

}  // namespace kova
