#pragma once
// The points list of the calibration page without its window: the character check of a typed
// true value, what "添  加" does with a typed point, and the texts of a stored table as rows.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "calib/CalibSave.h"
#include "controls/logic/MessageIcon.h"

namespace kova {

// The channel-number display before a channel is picked.
inline constexpr std::string_view kNoChannelText = "未选择";
// Plain notices of the page are captioned with the application's title.
inline constexpr std::string_view kPageCaption = "Calib";

// Bytes of the typed texts that the add command looks at (100- and 50-character buffers).
inline constexpr std::size_t kTrueValueCheckBytes = 99;
inline constexpr std::size_t kVoltCellBytes = 49;

// A typed true value is a plain decimal: digits, at most one "." that is not the first character,
// "-" only as the first character and not followed by ".". A lone "-" passes (it saves as 0).
// No blanks, no exponent.
bool isTrueValueText(std::string_view text);

// A message the add command shows instead of adding.
struct PointRefusal {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::Exclamation;
};

struct AddPointDecision {
    std::optional<PointRefusal> refusal;
    // The row whose true value the typed one replaces (its voltage equals the typed one in
    // single precision); -1 appends a new row.
    int replaceRow = -1;
};

// "添  加" with the channel-number display text, the typed voltage and true value, and the
// voltage texts of the points list in row order. Only the first 99 bytes of the true value are
// checked; each row's voltage is read from its first 49 bytes.
AddPointDecision decideAddPoint(std::string_view channelDisplay, std::string_view volt,
                                std::string_view trueValue, std::span<const std::string> voltTexts);

// The rows a stored table shows: "Volt" tokens make the rows and give column 0 as stored,
// "Data" tokens give column 1 of the rows that exist (empty where "Data" is shorter).
std::vector<CalibRow> storedPointRows(std::string_view voltValue, std::string_view dataValue);

}  // namespace kova
