#include "controls/logic/ControlLayout.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/TextCodec.h"

namespace kova {

ControlKind controlKindOf(std::string_view className) {
    using Name = std::pair<std::string_view, ControlKind>;
    static constexpr std::array<Name, 6> kNames = {{
        {"Static", ControlKind::Static},
        {"Edit", ControlKind::Edit},
        {"Button", ControlKind::Button},
        {"ComboBox", ControlKind::ComboBox},
        {"SysListView32", ControlKind::ListView},
        {"SysIPAddress32", ControlKind::IpAddress},
    }};
    const auto found = std::find_if(kNames.begin(), kNames.end(), [&](const Name& n) {
        return equalsIgnoreAsciiCase(className, n.first);
    });
    return found != kNames.end() ? found->second : ControlKind::Other;
}

int scaleEdge(int edge, double factor, float& carry) {
    const double exact = edge * factor;
    int scaled = static_cast<int>(exact);
    carry = static_cast<float>(carry + (exact - scaled));
    if (std::fabs(carry) > 1.0F) {
        const int whole = static_cast<int>(carry);
        scaled += whole;
        carry -= static_cast<float>(whole);
    }
    return scaled;
}

ControlRect layoutControl(const ControlRect& old, ControlKind kind, double fx, double fy,
                          LayoutCarry& carry, std::size_t slot, int textHeight,
                          int dropDownHeight) {
    ControlRect r;
    r.top = scaleEdge(old.top, fy, carry.top[slot]);
    r.left = scaleEdge(old.left, fx, carry.left[slot]);
    r.right = scaleEdge(old.right, fx, carry.right[slot]);
    const int oldHeight = old.height();
    const bool fixedKind =
        kind == ControlKind::Static || kind == ControlKind::Edit || kind == ControlKind::Button;
    if (fixedKind && oldHeight <= kFixedHeightLimit) {
        const bool zeroAtTop = oldHeight == 0 && old.top == 0;
        if (oldHeight < textHeight && !zeroAtTop) {
            r.bottom = r.top + textHeight + 2;
        } else {
            r.bottom = r.top + oldHeight;
        }
    } else {
        r.bottom = scaleEdge(old.bottom, fy, carry.bottom[slot]);
    }
    if (kind == ControlKind::ComboBox) {
        r.bottom += dropDownHeight;
    }
    return r;
}

ControlRect tabPageRect(const ControlRect& client, const ControlRect& firstTab) {
    const int top = firstTab.bottom + 1;
    const int width = client.right - firstTab.left - 2;
    const int height = client.bottom - firstTab.bottom - 3;
    return {firstTab.left, top, firstTab.left + width, top + height};
}

int comboDropDownWidth(const std::vector<int>& itemTextWidths, int averageCharWidth,
                       int scrollBarWidth, int edgeWidth) {
    int widest = 0;
    for (const int w : itemTextWidths) {
        widest = std::max(widest, w + averageCharWidth);
    }
    return widest + scrollBarWidth + 2 * edgeWidth;
}

int comboDropDownHeight(std::size_t itemCount, int fontHeight) {
    return static_cast<int>(std::min<std::size_t>(itemCount, 10)) * (fontHeight + 5);
}

}  // namespace kova
