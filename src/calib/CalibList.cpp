#include "calib/CalibList.h"

#include "platform/Numbers.h"

namespace kova {

int parseCalibList(std::string_view value, std::span<float> out) {
    std::size_t read = 0;
    std::size_t tokenStart = 0;
    while (read < out.size()) {
        const std::size_t comma = value.find(',', tokenStart);
        if (comma == std::string_view::npos) {
            break;  // text after the last "," is not a number of the list
        }
        std::string_view token = value.substr(tokenStart, comma - tokenStart);
        if (token.size() > kCalibTokenChars) {
            token = token.substr(0, kCalibTokenChars);
        }
        out[read++] = toSingle(parseLeadingDouble(token));
        tokenStart = comma + 1;
    }
    return static_cast<int>(read);
}

std::string formatCalibList(std::span<const float> values) {
    std::string text;
    text.reserve(values.size() * 8);
    for (const float v : values) {
        text += formatFixed(v, 3);
        text += ',';
    }
    return text;
}

}  // namespace kova
