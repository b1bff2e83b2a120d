#include "platform/IniDocument.h"

#include "platform/IniCharacters.h"
#include "platform/Numbers.h"
#include "platform/TextCodec.h"

namespace kova {

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
