#pragma once
// The arithmetic of editing a report list's cells in place: which column a click falls in,
// how far to scroll so that a cell is visible, and which typed characters an editor accepts.

#include <string_view>
#include <vector>

namespace kova {

// The column (index into widths, which are in display order) whose span contains x, walking
// from rowLeft; both borders count, so a click exactly on a border goes to the left-hand column.
// -1 when x lies in no column.
int columnAtX(int x, int rowLeft, const std::vector<int>& widths);

// The horizontal scroll that brings column (display index) into a client area ending at
// clientRight: a column starting outside the area scrolls to the left edge, one reaching past the
// right edge scrolls just far enough to show its right edge, a visible one does not scroll.
int scrollToShowColumn(int rowLeft, int clientRight, const std::vector<int>& widths, int column);

// Left edge of column (display index) in a row starting at rowLeft.
int columnLeft(int rowLeft, const std::vector<int>& widths, int column);

// Whether an in-place editor with this allowed-character set accepts a typed character.
// An empty set accepts everything; Ctrl+C, Backspace, Ctrl+V and Ctrl+X (3, 8, 22, 24) always pass.
bool isEditCharAllowed(char32_t c, std::u32string_view allowed);

}  // namespace kova
