#include "pages/logic/CheckFile.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "platform/AtomicFile.h"
#include "platform/HostPath.h"
#include "platform/Numbers.h"

namespace kova {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kShownOffset = 4;
constexpr std::size_t kReferenceOffset = kShownOffset + std::size_t{4} * kCheckFileRows;

void putWord(CheckFileRecord& record, std::size_t offset, std::uint32_t word) {
    for (std::size_t i = 0; i < 4; ++i) {
        record[offset + i] = static_cast<unsigned char>(word >> (8 * i));
    }
}

void putFloat(CheckFileRecord& record, std::size_t offset, std::string_view text) {
    putWord(record, offset,
            std::bit_cast<std::uint32_t>(static_cast<float>(parseLeadingDouble(text))));
}

}  // namespace

std::string checkAddRefusal(std::span<const CheckRow> rows, const CheckRow& added) {
    if (rows.size() >= static_cast<std::size_t>(kCheckFileRows)) {
        return "最大50项数据，操作被取消！";
    }
    if (added.reference.empty()) {
        return "请输入当前值！";
    }
    const bool repeated = std::any_of(rows.begin(), rows.end(), [&](const CheckRow& row) {
        return row.shown == added.shown && row.reference == added.reference;
    });
    return repeated ? "有相同数据，操作被取消！" : "";
}

CheckFileRecord checkFileRecord(std::span<const CheckRow> rows) {
    CheckFileRecord record{};
    const std::size_t n = std::min<std::size_t>(rows.size(), kCheckFileRows);
    putWord(record, 0, static_cast<std::uint32_t>(n));
    for (std::size_t i = 0; i < n; ++i) {
        putFloat(record, kShownOffset + 4 * i, rows[i].shown);
        putFloat(record, kReferenceOffset + 4 * i, rows[i].reference);
    }
    return record;
}

fs::path checkFileReplacementPath(const fs::path& file) {
    return atomicReplacementPath(file);
}

bool saveCheckFile(std::string_view windowsPath, const CheckFileRecord& record) {
    const std::string_view bytes(reinterpret_cast<const char*>(record.data()), record.size());
    return static_cast<bool>(writeFileAtomically(hostPath(windowsPath), bytes));
}

}  // namespace kova
