#include "IniInvariants.h"

#include <algorithm>
#include <vector>

#include "platform/IniDocument.h"
#include "platform/IniEdit.h"
#include "platform/TextCodec.h"

namespace kova::test {
namespace {

constexpr std::size_t kLargeBuffer = 1 << 20;
constexpr std::string_view kAbsent =
    "\x01"
    "absent";

std::string read(const IniDocument& doc, const std::string& section, const std::string& key) {
    return doc.readString(section, key, kAbsent, kLargeBuffer);
}

bool sameKey(const IniDocument& doc, const IniWrite& w, const std::string& section,
             const std::string& key) {
    return doc.foldedName(section) == doc.foldedName(w.section) &&
           doc.foldedName(key) == doc.foldedName(w.key);
}

std::string checkStructure(const IniDocument& doc) {
    std::size_t pos = doc.bomLength();
    for (const IniDocument::Line& line : doc.lines()) {
        if (line.begin != pos || line.end <= line.begin) {
            return "lines do not cover the file";
        }
        pos = line.end;
    }
    if (pos != std::max(doc.bytes().size(), doc.bomLength())) {
        return "lines stop before the end of the file";
    }
    std::size_t next = 0;
    for (const IniDocument::Section& s : doc.sections()) {
        if (s.firstLine != next + (s.header == IniDocument::npos ? 0 : 1) ||
            s.endLine < s.firstLine) {
            return "sections do not cover the lines";
        }
        next = s.endLine;
    }
    if (next != doc.lines().size()) {
        return "sections stop before the last line";
    }
    return {};
}

std::string checkReads(const IniDocument& doc) {
    for (const auto& [section, key] : doc.keyNames()) {
        const std::string value = read(doc, section, key);
        for (std::size_t size : {1, 2, 3, 8}) {
            const std::string cut = doc.readString(section, key, kAbsent, size);
            if (gbkLength(cut) > size - 1 || value.compare(0, cut.size(), cut) != 0) {
                return "a read does not keep to its buffer: " + section + "/" + key;
            }
        }
        doc.readInt(section, key, 0);
    }
    return {};
}

// The bytes a write leaves, or "" with `failure` set.
std::string checkWrite(const IniDocument& doc, const IniWrite& w, std::string& failure) {
    const IniEdit edit = applyIniWrites(doc, {w});
    if (!edit.result) {
        if (edit.result.reason.empty()) {
            failure = "refused without a reason";
        }
        return doc.bytes();
    }
    const std::string after = edit.changed ? edit.bytes : doc.bytes();
    const IniDocument next(after);
    if (next.encoding() != doc.encoding()) {
        failure = "a write changed how the file is encoded: " + w.section + "/" + w.key;
        return after;
    }
    if (read(next, w.section, w.key) != std::string(iniValueAsRead(w.value))) {
        failure = "the written value does not read back: " + w.section + "/" + w.key;
        return after;
    }
    for (const auto& [section, key] : doc.keyNames()) {
        if (!sameKey(doc, w, section, key) && read(next, section, key) != read(doc, section, key)) {
            failure = "a write changed another key: " + section + "/" + key;
            return after;
        }
    }
    if (edit.changed) {
        const std::string& before = doc.bytes();
        const std::size_t limit = std::min(before.size(), after.size());
        const auto prefix = static_cast<std::size_t>(
            std::mismatch(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(limit),
                          after.begin())
                .first -
            before.begin());
        // The common end may not reach into the common start.
        const auto room = static_cast<std::ptrdiff_t>(limit - prefix);
        const auto suffix = static_cast<std::size_t>(
            std::mismatch(before.rbegin(), before.rbegin() + room, after.rbegin()).first -
            before.rbegin());
        const std::string_view removed =
            std::string_view(before).substr(prefix, before.size() - prefix - suffix);
        if (removed.find_first_of("\r\n") != std::string_view::npos) {
            failure = "a write changed more than one line";
            return after;
        }
    }
    if (applyIniWrites(next, {w}).changed) {
        failure = "the same write made twice changed the file again";
    }
    return after;
}

}  // namespace

std::string checkIniInvariants(std::string_view bytes) {
    const IniDocument doc{std::string(bytes)};
    if (std::string failure = checkStructure(doc); !failure.empty()) {
        return failure;
    }
    if (std::string failure = checkReads(doc); !failure.empty()) {
        return failure;
    }
    // Writes aimed at what the file holds and at what it does not.
    const auto names = doc.keyNames();
    const auto existing = names.empty() ? std::pair<std::string, std::string>{"S", "k"}
                                        : names[bytes.size() % names.size()];
    const std::vector<IniWrite> writes = {
        {existing.first, existing.second, "v1"},
        {existing.first, "fuzz_new", "v2"},
        {"", "fuzz_top", "3"},
        {"新节", "键", " \"v4\" "},
        {existing.first, existing.second, "v5"},
        {existing.first, "FUZZ_NEW", "v6"},
    };
    std::vector<IniWrite> accepted;
    std::string sequential(bytes);
    for (const IniWrite& w : writes) {
        std::string failure;
        checkWrite(doc, w, failure);
        if (!failure.empty()) {
            return failure;
        }
        if (!iniWriteRefusal(doc, w).empty()) {
            continue;
        }
        accepted.push_back(w);
        const IniEdit step = applyIniWrites(IniDocument(sequential), {w});
        if (step.changed) {
            sequential = step.bytes;
        }
    }
    const IniEdit grouped = applyIniWrites(doc, accepted);
    if ((grouped.changed ? grouped.bytes : std::string(bytes)) != sequential) {
        return "a grouped write differs from the same writes one by one";
    }
    return {};
}

}  // namespace kova::test
