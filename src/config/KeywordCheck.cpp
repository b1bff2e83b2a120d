#include "config/KeywordCheck.h"

#include "config/ChannelKeys.h"
#include "platform/TextCodec.h"

namespace kova {
namespace {

// The blanks the ini reader trims from both ends of a key.
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool hasControlCharacter(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<std::string> keywordRefusal(std::string_view keyword) {
    if (keyword.empty()) {
        return "请填入通道项目关键字!";
    }
    if (isBlank(keyword.front()) || isBlank(keyword.back())) {
        return "关键字的开头和结尾不能是空格！";
    }
    if (hasControlCharacter(keyword)) {
        return "关键字不能含有换行符或其他控制字符！";
    }
    if (keyword.find(',') != std::string_view::npos) {
        return "关键字不能含有逗号“,”！";
    }
    if (keyword.find_first_of("=[]") != std::string_view::npos) {
        return "关键字不能含有“=”、“[”或“]”！";
    }
    if (keyword.front() == ';') {
        return "关键字不能以“;”开头！";
    }
    if (!isGbkEncodable(keyword)) {
        return "关键字含有无法保存的字符！";
    }
    if (gbkLength(keyword) > kKeywordBytes) {
        return "关键字不能超过39个字节（19个汉字）！";
    }
    return std::nullopt;
}

}  // namespace kova
