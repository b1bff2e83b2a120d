#include "platform/IniDocument.h"

#include <cstring>

#include "platform/IniCharacters.h"
#include "platform/TextCodec.h"

namespace kova {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool isIniBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

// Position of the last "]" character of a GBK text, or npos; a trail byte equal to "]" is not one.
std::size_t lastGbkCloseBracket(std::string_view text) {
    std::size_t found = std::string_view::npos;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t len = gbkCharLength(text, pos);
        if (len == 1 && text[pos] == ']') {
            found = pos;
        }
        pos += len;
    }
    return found;
}

}  // namespace

std::string_view trimIniBlanks(std::string_view text) {
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && isIniBlank(text[b])) {
        ++b;
    }
    while (e > b && isIniBlank(text[e - 1])) {
        --e;
    }
    return text.substr(b, e - b);
}

std::string_view iniValueAsRead(std::string_view afterEquals) {
    std::string_view v = trimIniBlanks(afterEquals);
    // Quote characters are below every GBK trail byte, so the end bytes are whole characters.
    if (v.size() >= 2 && isQuote(v.front()) && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    return v;
}

IniDocument::IniDocument(std::string bytes) : bytes_(std::move(bytes)) {
    parse();
}

void IniDocument::parse() {
    if (std::string_view(bytes_).substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        encoding_ = IniEncoding::Utf8;
        bomLength_ = kUtf8Bom.size();
    }
    sections_.push_back(Section{});
    const std::size_t size = bytes_.size();
    lines_.reserve(size / 32);
    const char* data = bytes_.data();
    std::size_t pos = bomLength_;
    while (pos < size) {
        Line line;
        line.begin = pos;
        // The line stops at the first CR or LF: each byte is searched at most twice.
        const void* lf = std::memchr(data + pos, '\n', size - pos);
        std::size_t stop = lf != nullptr ? static_cast<const char*>(lf) - data : size;
        if (const void* cr = std::memchr(data + pos, '\r', stop - pos)) {
            stop = static_cast<const char*>(cr) - data;
        }
        if (stop == size) {
            line.end = size;
        } else if (data[stop] == '\r' && stop + 1 < size && data[stop + 1] == '\n') {
            line.end = stop + 2;
        } else {
            line.end = stop + 1;
        }
        // A NUL ends the line's content.
        const void* nul = std::memchr(data + pos, '\0', stop - pos);
        const std::size_t contentEnd = nul != nullptr ? static_cast<const char*>(nul) - data : stop;
        parseLine(line, contentEnd);

        if (line.kind == LineKind::Header) {
            const std::size_t index = lines_.size();
            sections_.back().endLine = index;
            Section next;
            next.header = index;
            next.firstLine = index + 1;
            sections_.push_back(next);
        }
        lines_.push_back(line);
        pos = line.end;
    }
    sections_.back().endLine = lines_.size();
    buildIndex();
}

void IniDocument::parseLine(Line& line, std::size_t contentEnd) const {
    const std::string_view all(bytes_);
    std::size_t i = line.begin;
    while (i < contentEnd && isIniBlank(all[i])) {
        ++i;
    }
    const auto setName = [&](std::size_t b, std::size_t e) {
        const std::string_view n = trimIniBlanks(all.substr(b, e - b));
        line.nameBegin = static_cast<std::size_t>(n.data() - all.data());
        line.nameEnd = line.nameBegin + n.size();
    };
    if (i == contentEnd) {
        line.kind = LineKind::Blank;
        return;
    }
    if (all[i] == '[') {
        // Only blanks precede the "[", so it starts a character and the scan stays aligned.
        const std::string_view rest = all.substr(i + 1, contentEnd - i - 1);
        const std::size_t close =
            encoding_ == IniEncoding::Gbk ? lastGbkCloseBracket(rest) : rest.rfind(']');
        if (close == std::string_view::npos) {
            line.kind = LineKind::Ignored;
            return;
        }
        line.kind = LineKind::Header;
        setName(i + 1, i + 1 + close);
        return;
    }
    if (all[i] == ';') {
        line.kind = LineKind::Comment;
        return;
    }
    // "=" lies below every GBK trail byte: a byte search finds only the character.
    const std::size_t eq = all.substr(0, contentEnd).find('=', i);
    if (eq == std::string_view::npos) {
        line.kind = LineKind::KeyWithoutValue;
        setName(i, contentEnd);
        return;
    }
    line.kind = LineKind::Key;
    setName(i, eq);
    const std::string_view v = iniValueAsRead(all.substr(eq + 1, contentEnd - eq - 1));
    line.valueBegin = static_cast<std::size_t>(v.data() - all.data());
    line.valueEnd = line.valueBegin + v.size();
}

std::string IniDocument::foldFileText(std::string_view raw) const {
    std::string out(raw);
    FoldedBytes folded(raw, encoding_);
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<char>(folded.at(i));
    }
    return out;
}

std::optional<std::string> IniDocument::encode(std::string_view utf8) const {
    if (encoding_ == IniEncoding::Utf8) {
        if (!isValidUtf8(utf8)) {
            return std::nullopt;
        }
        return std::string(utf8);
    }
    if (!isGbkEncodable(utf8)) {
        return std::nullopt;
    }
    return utf8ToGbk(utf8);
}

std::string IniDocument::decode(std::string_view raw) const {
    return encoding_ == IniEncoding::Utf8 ? sanitizeUtf8(raw) : gbkToUtf8(raw);
}

std::optional<std::string> IniDocument::foldedName(std::string_view utf8) const {
    std::optional<std::string> encoded = encode(trimIniBlanks(utf8));
    if (!encoded) {
        return std::nullopt;
    }
    return foldFileText(*encoded);
}

std::string_view IniDocument::name(const Line& line) const {
    return std::string_view(bytes_).substr(line.nameBegin, line.nameEnd - line.nameBegin);
}

std::string_view IniDocument::value(const Line& line) const {
    return std::string_view(bytes_).substr(line.valueBegin, line.valueEnd - line.valueBegin);
}

std::string_view IniDocument::lineEnd(const Line& line) const {
    std::size_t n = 0;
    if (line.end > line.begin && bytes_[line.end - 1] == '\n') {
        n = (line.end - line.begin >= 2 && bytes_[line.end - 2] == '\r') ? 2 : 1;
    } else if (line.end > line.begin && bytes_[line.end - 1] == '\r') {
        n = 1;
    }
    return std::string_view(bytes_).substr(line.end - n, n);
}

}  // namespace kova
