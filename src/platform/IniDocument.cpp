#include "platform/IniDocument.h"

#include <cstring>

#include "platform/Numbers.h"
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

// Length of the well-formed UTF-8 sequence at s[pos], 0 when it is not one.
std::size_t utf8SequenceLength(std::string_view s, std::size_t pos) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) {
        return 1;
    }
    std::size_t len = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        lo = b0 == 0xE0 ? 0xA0 : lo;  // no overlong forms
        hi = b0 == 0xED ? 0x9F : hi;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        lo = b0 == 0xF0 ? 0x90 : lo;
        hi = b0 == 0xF4 ? 0x8F : hi;
    } else {
        return 0;
    }
    if (pos + len > s.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if (i == 1 ? (b < lo || b > hi) : (b < 0x80 || b > 0xBF)) {
            return 0;
        }
    }
    return len;
}

bool isValidUtf8(std::string_view s) {
    for (std::size_t pos = 0; pos < s.size();) {
        const std::size_t len = utf8SequenceLength(s, pos);
        if (len == 0) {
            return false;
        }
        pos += len;
    }
    return true;
}

// A UTF-8 file's text with every ill-formed byte replaced by U+FFFD.
std::string sanitizeUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t pos = 0; pos < s.size();) {
        const std::size_t len = utf8SequenceLength(s, pos);
        if (len == 0) {
            out += "\xEF\xBF\xBD";
            ++pos;
        } else {
            out.append(s.substr(pos, len));
            pos += len;
        }
    }
    return out;
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
    const char* data = bytes_.data();
    std::size_t pos = bomLength_;
    while (pos < size) {
        Line line;
        line.begin = pos;
        std::size_t stop = pos;
        while (stop < size && data[stop] != '\r' && data[stop] != '\n') {
            ++stop;
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

        const std::size_t index = lines_.size();
        if (line.kind == LineKind::Header) {
            sections_.back().endLine = index;
            Section next;
            next.header = index;
            next.firstLine = index + 1;
            sections_.push_back(std::move(next));
            std::string folded = foldFileText(name(line));
            if (!folded.empty()) {
                sectionIndex_.try_emplace(std::move(folded), sections_.size() - 1);
            }
        } else if (line.kind == LineKind::Key || line.kind == LineKind::KeyWithoutValue) {
            sections_.back().keys.try_emplace(foldFileText(name(line)), index);
        }
        lines_.push_back(line);
        pos = line.end;
    }
    sections_.back().endLine = lines_.size();
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
    if (encoding_ == IniEncoding::Utf8) {
        return asciiLower(raw);  // UTF-8 multi-byte characters hold no ASCII bytes
    }
    std::string out(raw);
    for (std::size_t pos = 0; pos < out.size();) {
        const std::size_t len = gbkCharLength(raw, pos);
        if (len == 1 && out[pos] >= 'A' && out[pos] <= 'Z') {
            out[pos] = static_cast<char>(out[pos] + ('a' - 'A'));
        }
        pos += len;
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

std::size_t IniDocument::findFoldedSection(const std::string& folded) const {
    if (folded.empty()) {
        return 0;
    }
    const auto it = sectionIndex_.find(folded);
    return it == sectionIndex_.end() ? npos : it->second;
}

std::size_t IniDocument::findFoldedKey(std::size_t section, const std::string& folded) const {
    const auto& keys = sections_[section].keys;
    const auto it = keys.find(folded);
    return it == keys.end() ? npos : it->second;
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

const IniDocument::Line* IniDocument::findLine(std::string_view section,
                                               std::string_view key) const {
    const std::optional<std::string> s = foldedName(section);
    if (!s) {
        return nullptr;
    }
    const std::size_t index = findFoldedSection(*s);
    if (index == npos) {
        return nullptr;
    }
    const std::optional<std::string> k = foldedName(key);
    if (!k) {
        return nullptr;
    }
    const std::size_t line = findFoldedKey(index, *k);
    return line == npos ? nullptr : &lines_[line];
}

std::string IniDocument::readString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t bufferSize) const {
    if (bufferSize == 0) {
        return {};
    }
    const Line* line = findLine(section, key);
    if (line != nullptr && line->kind == LineKind::Key) {
        const std::string text = decode(value(*line));
        return std::string(cutToGbkBytes(text, bufferSize - 1));
    }
    while (!defaultValue.empty() && defaultValue.back() == ' ') {
        defaultValue.remove_suffix(1);
    }
    return std::string(cutToGbkBytes(defaultValue, bufferSize - 1));
}

int IniDocument::readInt(std::string_view section, std::string_view key, int defaultValue) const {
    const Line* line = findLine(section, key);
    if (line == nullptr || line->kind != LineKind::Key || line->valueEnd == line->valueBegin) {
        return defaultValue;
    }
    return parseLeadingInt(value(*line));
}

std::vector<std::pair<std::string, std::string>> IniDocument::keyNames() const {
    std::vector<std::pair<std::string, std::string>> out;
    for (std::size_t s = 0; s < sections_.size(); ++s) {
        const Section& section = sections_[s];
        std::string sectionName;
        if (s != 0) {
            const std::string_view raw = name(lines_[section.header]);
            if (findFoldedSection(foldFileText(raw)) != s) {
                continue;  // a later section of the same name, or "[]": never read
            }
            sectionName = decode(raw);
        }
        for (std::size_t l = section.firstLine; l < section.endLine; ++l) {
            const Line& line = lines_[l];
            if ((line.kind == LineKind::Key || line.kind == LineKind::KeyWithoutValue) &&
                findFoldedKey(s, foldFileText(name(line))) == l) {
                out.emplace_back(sectionName, decode(name(line)));
            }
        }
    }
    return out;
}

}  // namespace kova
