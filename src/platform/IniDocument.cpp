#include "platform/IniDocument.h"

#include <algorithm>
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

bool isGbkLead(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}
bool isGbkTrail(unsigned char c) {
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A name's bytes with single-byte ASCII letters folded, read front to back; a GBK trail byte
// passes as it is, whatever it looks like.
class FoldedBytes {
  public:
    FoldedBytes(std::string_view text, IniEncoding encoding)
        : text_(text), gbk_(encoding == IniEncoding::Gbk) {}

    unsigned char at(std::size_t i) {
        const auto c = static_cast<unsigned char>(text_[i]);
        if (trailNext_) {
            trailNext_ = false;
            return c;
        }
        if (gbk_ && isGbkLead(c) && i + 1 < text_.size() &&
            isGbkTrail(static_cast<unsigned char>(text_[i + 1]))) {
            trailNext_ = true;
            return c;
        }
        return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
    }

  private:
    std::string_view text_;
    bool gbk_;
    bool trailNext_ = false;
};

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

std::uint32_t IniDocument::nameHash(std::string_view name) const {
    // FNV-1a over the folded bytes; the same folding as FoldedBytes, written out because it
    // runs for every name of a file.
    constexpr std::uint64_t kPrime = 0x100000001B3ULL;
    std::uint64_t h = 0xCBF29CE484222325ULL;
    const bool gbk = encoding_ == IniEncoding::Gbk;
    for (std::size_t i = 0; i < name.size(); ++i) {
        auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x80) {
            c = (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
        } else if (gbk && isGbkLead(c) && i + 1 < name.size() &&
                   isGbkTrail(static_cast<unsigned char>(name[i + 1]))) {
            h = (h ^ c) * kPrime;
            c = static_cast<unsigned char>(name[++i]);  // a trail byte is never folded
        }
        h = (h ^ c) * kPrime;
    }
    h ^= h >> 29;  // the tables use the low bits
    return static_cast<std::uint32_t>((h * 0xBF58476D1CE4E5B9ULL) >> 32);
}

bool IniDocument::sameName(std::string_view a, std::string_view b) const {
    if (a.size() != b.size()) {
        return false;
    }
    FoldedBytes fa(a, encoding_);
    FoldedBytes fb(b, encoding_);
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fa.at(i) != fb.at(i)) {
            return false;
        }
    }
    return true;
}

std::size_t IniDocument::probe(const std::vector<Slot>& slots, Table table, std::uint32_t hash,
                               std::string_view name, bool sections) const {
    for (std::size_t i = hash & table.mask;; i = (i + 1) & table.mask) {
        const Slot& slot = slots[table.begin + i];
        if (slot.target == kEmpty) {
            return table.begin + i;
        }
        if (slot.hash == hash) {
            const Line& line =
                sections ? lines_[sections_[slot.target].header] : lines_[slot.target];
            if (sameName(this->name(line), name)) {
                return table.begin + i;
            }
        }
    }
}

namespace {

// A table size with room to spare: a power of two above twice the names.
std::size_t tableSize(std::size_t names) {
    std::size_t size = 1;
    while (size <= 2 * names) {
        size *= 2;
    }
    return size;
}

bool isKeyLine(const IniDocument::Line& line) {
    return line.kind == IniDocument::LineKind::Key ||
           line.kind == IniDocument::LineKind::KeyWithoutValue;
}

}  // namespace

void IniDocument::buildIndex() {
    const std::size_t sectionCount = sections_.size();
    sectionTable_ = Table{0, tableSize(sectionCount) - 1};
    sectionSlots_.assign(sectionTable_.mask + 1, Slot{});
    for (std::size_t s = 1; s < sectionCount; ++s) {
        const std::string_view n = name(lines_[sections_[s].header]);
        if (n.empty()) {
            continue;  // "[]" is never found
        }
        const std::uint32_t h = nameHash(n);
        Slot& slot = sectionSlots_[probe(sectionSlots_, sectionTable_, h, n, true)];
        if (slot.target == kEmpty) {
            slot = Slot{h, static_cast<std::uint32_t>(s)};  // only the first of a name
        }
    }
    keyTables_.resize(sectionCount);
    std::size_t total = 0;
    for (std::size_t s = 0; s < sectionCount; ++s) {
        std::size_t keys = 0;
        for (std::size_t l = sections_[s].firstLine; l < sections_[s].endLine; ++l) {
            keys += isKeyLine(lines_[l]) ? 1 : 0;
        }
        const std::size_t size = tableSize(keys);
        keyTables_[s] = Table{total, size - 1};
        total += size;
    }
    keySlots_.assign(total, Slot{});
    for (std::size_t s = 0; s < sectionCount; ++s) {
        for (std::size_t l = sections_[s].firstLine; l < sections_[s].endLine; ++l) {
            if (!isKeyLine(lines_[l])) {
                continue;
            }
            const std::string_view n = name(lines_[l]);
            const std::uint32_t h = nameHash(n);
            Slot& slot = keySlots_[probe(keySlots_, keyTables_[s], h, n, false)];
            if (slot.target == kEmpty) {
                slot = Slot{h, static_cast<std::uint32_t>(l)};  // only the first of a name
            }
        }
    }
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

std::size_t IniDocument::findSection(std::string_view name) const {
    if (name.empty()) {
        return 0;
    }
    const Slot& slot =
        sectionSlots_[probe(sectionSlots_, sectionTable_, nameHash(name), name, true)];
    return slot.target == kEmpty ? npos : slot.target;
}

std::size_t IniDocument::findKey(std::size_t section, std::string_view name) const {
    const Slot& slot =
        keySlots_[probe(keySlots_, keyTables_[section], nameHash(name), name, false)];
    return slot.target == kEmpty ? npos : slot.target;
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

bool IniDocument::toFileText(std::string_view utf8, std::string& storage,
                             std::string_view& text) const {
    if (isAscii(utf8)) {
        text = utf8;  // the same bytes in either encoding
        return true;
    }
    std::optional<std::string> encoded = encode(utf8);
    if (!encoded) {
        return false;
    }
    storage = std::move(*encoded);
    text = storage;
    return true;
}

const IniDocument::Line* IniDocument::findLine(std::string_view section,
                                               std::string_view key) const {
    std::string storage;
    std::string_view text;
    if (!toFileText(trimIniBlanks(section), storage, text)) {
        return nullptr;
    }
    const std::size_t index = findSection(text);
    if (index == npos || !toFileText(trimIniBlanks(key), storage, text)) {
        return nullptr;
    }
    const std::size_t line = findKey(index, text);
    return line == npos ? nullptr : &lines_[line];
}

std::string IniDocument::readString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t bufferSize) const {
    if (bufferSize == 0) {
        return {};
    }
    const Line* line = findLine(section, key);
    if (line != nullptr && line->kind == LineKind::Key) {
        const std::string_view raw = value(*line);
        if (isAscii(raw)) {
            return std::string(raw.substr(0, bufferSize - 1));  // one byte per character
        }
        return std::string(cutToGbkBytes(decode(raw), bufferSize - 1));
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
            if (findSection(raw) != s) {
                continue;  // a later section of the same name, or "[]": never read
            }
            sectionName = decode(raw);
        }
        for (std::size_t l = section.firstLine; l < section.endLine; ++l) {
            const Line& line = lines_[l];
            if (isKeyLine(line) && findKey(s, name(line)) == l) {
                out.emplace_back(sectionName, decode(name(line)));
            }
        }
    }
    return out;
}

}  // namespace kova
