#include "platform/IniEdit.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace kova {
namespace {

using Line = IniDocument::Line;
using LineKind = IniDocument::LineKind;

constexpr std::string_view kNewLineEnd = "\r\n";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// A write in the file's encoding, section and key trimmed.
struct EncodedWrite {
    std::string section;
    std::string key;
    std::string value;
};

std::optional<EncodedWrite> encodeWrite(const IniDocument& doc, const IniWrite& write,
                                        std::string& reason) {
    constexpr std::string_view kBreaks("\r\n\0", 3);
    const std::string_view section = trimIniBlanks(write.section);
    const std::string_view key = trimIniBlanks(write.key);
    if (section.find_first_of(kBreaks) != std::string_view::npos) {
        reason = "line break or NUL in section \"" + std::string(section) + "\"";
    } else if (key.find_first_of(kBreaks) != std::string_view::npos) {
        reason = "line break or NUL in key \"" + std::string(key) + "\"";
    } else if (write.value.find_first_of(kBreaks) != std::string_view::npos) {
        reason = "line break or NUL in the value of key \"" + std::string(key) + "\"";
    } else if (key.find('=') != std::string_view::npos) {
        reason = "\"=\" in key \"" + std::string(key) + "\"";
    } else if (!key.empty() && (key.front() == '[' || key.front() == ';')) {
        reason = "key \"" + std::string(key) + "\" begins with \"" + key.front() + "\"";
    }
    if (!reason.empty()) {
        return std::nullopt;
    }
    std::optional<std::string> s = doc.encode(section);
    std::optional<std::string> k = doc.encode(key);
    std::optional<std::string> v = doc.encode(write.value);
    if (!s || !k || !v) {
        const char* encoding = doc.encoding() == IniEncoding::Gbk ? "GBK" : "UTF-8";
        const char* what = !s ? "section" : !k ? "key" : "value";
        reason = std::string("the ") + what + " of key \"" + std::string(key) +
                 "\" has a character that " + encoding + " cannot hold";
        return std::nullopt;
    }
    return EncodedWrite{std::move(*s), std::move(*k), std::move(*v)};
}

// The writes of one pass as an overlay on the parsed file: replaced lines, lines inserted after
// an original line, and sections appended at the end. Original bytes are copied only when the
// new content is assembled.
class Editor {
  public:
    explicit Editor(const IniDocument& doc) : doc_(doc), lines_(doc.lines()) {}

    void apply(const EncodedWrite& w) {
        const std::string foldedSection = doc_.foldFileText(w.section);
        const std::string foldedKey = doc_.foldFileText(w.key);
        const std::size_t section = doc_.findSection(w.section);
        if (section != IniDocument::npos) {
            writeToExistingSection(section, foldedKey, w);
            return;
        }
        const auto known = newSectionIndex_.find(foldedSection);
        if (known != newSectionIndex_.end()) {
            NewSection& s = newSections_[known->second];
            const auto it = s.keys.find(foldedKey);
            if (it != s.keys.end()) {
                setValue(it->second, w.value);
            } else {
                const std::size_t entry = addEntry(w.key, w.value);
                s.keys.emplace(foldedKey, entry);
                s.entries.push_back(entry);
            }
            return;
        }
        supplyFinalLineEnd();
        NewSection s;
        s.name = w.section;
        const std::size_t entry = addEntry(w.key, w.value);
        s.keys.emplace(foldedKey, entry);
        s.entries.push_back(entry);
        newSectionIndex_.emplace(foldedSection, newSections_.size());
        newSections_.push_back(std::move(s));
    }

    bool changed() const { return changed_; }

    std::string content() const {
        const std::string& bytes = doc_.bytes();
        std::string out;
        out.reserve(bytes.size() + 64 * entries_.size());
        // Only the lines this pass replaces or inserts before are visited; the runs between
        // them are copied whole.
        std::vector<std::size_t> points;
        points.reserve(replaced_.size() + inserted_.size() + 1);
        const auto lineOf = [](const auto& entry) { return entry.first; };
        std::transform(replaced_.begin(), replaced_.end(), std::back_inserter(points), lineOf);
        std::transform(inserted_.begin(), inserted_.end(), std::back_inserter(points), lineOf);
        points.push_back(lines_.size());
        std::sort(points.begin(), points.end());
        points.erase(std::unique(points.begin(), points.end()), points.end());
        std::size_t copied = 0;  // original bytes already in out, the byte-order mark included
        for (std::size_t p : points) {
            const std::size_t at = p < lines_.size() ? lines_[p].begin : bytes.size();
            out.append(bytes, copied, at - copied);
            copied = at;
            if (p == lines_.size() && finalLineEndSupplied_) {
                out += kNewLineEnd;
            }
            if (const auto ins = inserted_.find(p); ins != inserted_.end()) {
                for (std::size_t e : ins->second) {
                    appendEntry(out, e);
                    out += kNewLineEnd;
                }
            }
            if (const auto rep = replaced_.find(p); rep != replaced_.end()) {
                appendEntry(out, rep->second);
                out += doc_.lineEnd(lines_[p]);
                copied = lines_[p].end;
            }
        }
        for (const NewSection& s : newSections_) {
            out += '[';
            out += s.name;
            out += ']';
            out += kNewLineEnd;
            for (std::size_t e : s.entries) {
                appendEntry(out, e);
                out += kNewLineEnd;
            }
        }
        // A GBK key may begin with the bytes of a UTF-8 byte-order mark (锘縜 is EF BB BF 61):
        // written at the very start, it would make the whole file read as UTF-8 from then on.
        // A blank before the key reads the same.
        if (doc_.bomLength() == 0 && std::string_view(out).substr(0, kUtf8Bom.size()) == kUtf8Bom) {
            out.insert(out.begin(), ' ');
        }
        return out;
    }

  private:
    // A "key=value" line this pass writes.
    struct Entry {
        std::string key;
        std::string value;
    };

    struct NewSection {
        std::string name;
        std::vector<std::size_t> entries;
        std::unordered_map<std::string, std::size_t> keys;  // folded key -> entry
    };

    void writeToExistingSection(std::size_t section, const std::string& foldedKey,
                                const EncodedWrite& w) {
        const std::size_t line = doc_.findKey(section, w.key);
        if (line != IniDocument::npos) {
            replaceLine(line, w.value);
            return;
        }
        auto& added = addedKeys_[section];
        const auto it = added.find(foldedKey);
        if (it != added.end()) {
            setValue(it->second, w.value);
            return;
        }
        const std::size_t anchor = insertionPoint(section);
        if (anchor == lines_.size()) {
            supplyFinalLineEnd();
        }
        const std::size_t entry = addEntry(w.key, w.value);
        inserted_[anchor].push_back(entry);
        added.emplace(foldedKey, entry);
    }

    // The key keeps its spelling in the file; the line keeps its line end.
    void replaceLine(std::size_t line, const std::string& value) {
        const auto it = replaced_.find(line);
        if (it != replaced_.end()) {
            setValue(it->second, value);
            return;
        }
        const Line& l = lines_[line];
        if (l.kind == LineKind::Key && doc_.value(l) == value) {
            return;  // the value as read is already the one written
        }
        replaced_.emplace(line, addEntry(std::string(doc_.name(l)), value));
    }

    // Index of the original line a new key goes before: after the section's last non-blank line
    // that is not its header (so before the blank lines that end it), or right after the header.
    // Keys before the first header go after its last line, or at the start of the file.
    std::size_t insertionPoint(std::size_t section) const {
        const IniDocument::Section& s = doc_.sections()[section];
        if (section == 0) {
            return s.endLine;
        }
        for (std::size_t l = s.endLine; l > s.firstLine; --l) {
            if (lines_[l - 1].kind != LineKind::Blank) {
                return l;
            }
        }
        return s.firstLine;
    }

    void supplyFinalLineEnd() {
        if (!lines_.empty() && doc_.lineEnd(lines_.back()).empty()) {
            finalLineEndSupplied_ = true;
        }
    }

    std::size_t addEntry(std::string key, std::string value) {
        entries_.push_back(Entry{std::move(key), std::move(value)});
        changed_ = true;
        return entries_.size() - 1;
    }

    void setValue(std::size_t entry, const std::string& value) {
        if (iniValueAsRead(entries_[entry].value) == value) {
            return;
        }
        entries_[entry].value = value;
        changed_ = true;
    }

    void appendEntry(std::string& out, std::size_t entry) const {
        out += entries_[entry].key;
        out += '=';
        out += entries_[entry].value;
    }

    const IniDocument& doc_;
    const std::vector<Line>& lines_;
    std::vector<Entry> entries_;
    std::unordered_map<std::size_t, std::size_t> replaced_;     // original line -> entry
    std::map<std::size_t, std::vector<std::size_t>> inserted_;  // before original line -> entries
    std::unordered_map<std::size_t, std::unordered_map<std::string, std::size_t>> addedKeys_;
    std::vector<NewSection> newSections_;
    std::unordered_map<std::string, std::size_t> newSectionIndex_;
    bool finalLineEndSupplied_ = false;
    bool changed_ = false;
};

}  // namespace

std::string iniWriteRefusal(const IniDocument& doc, const IniWrite& write) {
    std::string reason;
    encodeWrite(doc, write, reason);
    return reason;
}

IniEdit applyIniWrites(const IniDocument& doc, const std::vector<IniWrite>& writes) {
    IniEdit edit;
    std::vector<EncodedWrite> encoded;
    encoded.reserve(writes.size());
    for (const IniWrite& w : writes) {
        std::string reason;
        std::optional<EncodedWrite> e = encodeWrite(doc, w, reason);
        if (!e) {
            edit.result = IniWriteResult{false, std::move(reason), IniWriteError::BadText};
            return edit;
        }
        encoded.push_back(std::move(*e));
    }
    Editor editor(doc);
    for (const EncodedWrite& e : encoded) {
        editor.apply(e);
    }
    if (editor.changed()) {
        std::string bytes = editor.content();
        if (bytes != doc.bytes()) {
            edit.changed = true;
            edit.bytes = std::move(bytes);
        }
    }
    return edit;
}

}  // namespace kova
