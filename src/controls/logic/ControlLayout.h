#pragma once
// The arithmetic of keeping a window's controls in proportion when it changes size: each edge
// scales with the window, and the fraction lost to whole pixels is carried per control so that
// many small resizes add up instead of drifting. Also the placement of tab pages and the size of
// a combo box's drop-down list.

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/EdgeRect.h"

namespace kova {

// A control's kind, from its window class name.
enum class ControlKind { Static, Edit, Button, ComboBox, ListView, IpAddress, Other };

// "Static", "Edit", "Button", "ComboBox", "SysListView32", "SysIPAddress32" compared without
// regard to case; anything else is Other.
ControlKind controlKindOf(std::string_view className);

// One carry slot per visible control, in z-order.
inline constexpr std::size_t kLayoutCarrySlots = 500;

struct LayoutCarry {
    std::array<float, kLayoutCarrySlots> left{};
    std::array<float, kLayoutCarrySlots> right{};
    std::array<float, kLayoutCarrySlots> top{};
    std::array<float, kLayoutCarrySlots> bottom{};
    void clear() { *this = LayoutCarry{}; }
};

// edge * factor in whole pixels; the lost fraction accumulates in carry, whose whole part moves
// into the result once it exceeds one pixel either way.
int scaleEdge(int edge, double factor, float& carry);

// A rectangle in the parent's client coordinates.
using ControlRect = EdgeRect;

// Controls up to this tall keep their height if they are static texts, edits or buttons.
inline constexpr int kFixedHeightLimit = 49;

// The new rectangle of a control. Left, right and top scale with their carries; the bottom scales
// too, except that static texts, edits and buttons up to 49 pixels tall keep their height, or
// grow to textHeight + 2 when shorter than textHeight (a zero-height control at the top edge
// stays as it is). dropDownHeight is added to a combo box's bottom.
ControlRect layoutControl(const ControlRect& old, ControlKind kind, double fx, double fy,
                          LayoutCarry& carry, std::size_t slot, int textHeight,
                          int dropDownHeight = 0);

// A tab page's place in its tab control: left at tab 0's left, top just below tab 0, width the
// client's right - tab 0's left - 2, height the client's bottom - tab 0's bottom - 3.
ControlRect tabPageRect(const ControlRect& client, const ControlRect& firstTab);

// Width of a drop-down list: the widest item (text plus one average character) plus a vertical
// scroll bar and two window edges.
int comboDropDownWidth(const std::vector<int>& itemTextWidths, int averageCharWidth,
                       int scrollBarWidth, int edgeWidth);

// Height a drop-down list needs: font height + 5 for each of the first 10 items.
int comboDropDownHeight(std::size_t itemCount, int fontHeight);

}  // namespace kova
