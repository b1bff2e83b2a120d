#include "config/ChannelList.h"

#include "config/ChannelKeys.h"
#include "platform/TextCodec.h"

namespace kova {

std::vector<std::string> splitList(std::string_view text) {
    std::vector<std::string> tokens;
    std::size_t start = 0;
    // A "," byte never occurs inside a multi-byte character, in UTF-8 as in GBK.
    for (std::size_t comma = text.find(','); comma != std::string_view::npos;
         comma = text.find(',', start)) {
        tokens.emplace_back(cutToGbkBytes(text.substr(start, comma - start), kListTokenBytes));
        start = comma + 1;
    }
    return tokens;
}

}  // namespace kova
