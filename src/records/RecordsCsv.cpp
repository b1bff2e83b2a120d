#include "records/RecordsCsv.h"

#include <QDateTime>
#include <QSaveFile>
#include <QString>
#include <array>

#include "calib/CalibList.h"
#include "calib/CalibTable.h"
#include "records/logic/CheckErrors.h"

namespace kova {
namespace {

constexpr std::array kHeader = {"时间",     "类型",     "站点",          "设备",      "通道",
                                "关键字",   "说明",     "单位",          "操作员",    "点数",
                                "标定点",   "最大误差", "最大误差(%FS)", "允差(%FS)", "结论",
                                "程序版本", "记录号"};

std::string quoted(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        return field;
    }
    std::string out = "\"";
    for (char c : field) {
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return out + "\"";
}

std::string number(double value) {
    return QString::number(value, 'g', 7).toStdString();
}

// "电压=真值" pairs of a stored table: "0=0; 1=10".
std::string pointsText(const StoredTable& table, int& count) {
    std::array<float, kCalibTablePoints> volt{};
    std::array<float, kCalibTablePoints> data{};
    const int volts = parseCalibList(table.volt, volt);
    const int datas = parseCalibList(table.data, data);
    count = std::min(volts, datas);
    std::string text;
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        text += (i ? "; " : "") + number(volt[at]) + "=" + number(data[at]);
    }
    return text;
}

std::string checkRowsText(const CalibRecord& r) {
    std::string text;
    for (std::size_t i = 0; i < r.rows.size(); ++i) {
        text += (i ? "; " : "") + number(r.rows[i].reading) + "/" + number(r.rows[i].reference);
    }
    return text;
}

std::string line(const CalibRecord& r) {
    std::vector<std::string> f = {localTimeText(r.utcMs),
                                  recordKindText(r.kind),
                                  r.channel.station,
                                  r.channel.device,
                                  std::to_string(r.channel.channel),
                                  r.channel.keyword,
                                  r.channel.description,
                                  r.channel.unit,
                                  r.operatorName};
    int count = 0;
    switch (r.kind) {
        case RecordKind::Calibration: {
            const std::string points = pointsText(r.after, count);
            f.insert(f.end(), {std::to_string(count), points, "", "", "", ""});
            break;
        }
        case RecordKind::Check: {
            const CheckEvaluation e = evaluateCheck(r);
            f.insert(f.end(), {std::to_string(r.rows.size()), checkRowsText(r),
                               number(e.largestError), number(e.largestPercentOfFullScale),
                               number(r.tolerancePercent), verdictText(e)});
            break;
        }
        case RecordKind::Tolerance:
            f.insert(f.end(), {"", "", "", "", number(r.tolerancePercent), ""});
            break;
    }
    f.push_back(r.toolVersion);
    f.push_back(r.id);
    std::string out;
    for (std::size_t i = 0; i < f.size(); ++i) {
        out += (i ? "," : "") + quoted(f[i]);
    }
    return out + "\r\n";
}

}  // namespace

std::string localTimeText(std::int64_t utcMs) {
    return QDateTime::fromMSecsSinceEpoch(utcMs)
        .toLocalTime()
        .toString("yyyy-MM-dd HH:mm:ss")
        .toStdString();
}

std::string recordKindText(RecordKind kind) {
    switch (kind) {
        case RecordKind::Calibration:
            return "标定";
        case RecordKind::Check:
            return "校验";
        case RecordKind::Tolerance:
            return "允差";
    }
    return "?";
}

std::string recordsCsv(const std::vector<CalibRecord>& records) {
    std::string out = "\xEF\xBB\xBF";
    for (std::size_t i = 0; i < kHeader.size(); ++i) {
        out += (i ? "," : "") + std::string(kHeader[i]);
    }
    out += "\r\n";
    for (const CalibRecord& r : records) {
        out += line(r);
    }
    return out;
}

std::string writeRecordsCsv(const std::string& file, const std::vector<CalibRecord>& records) {
    const std::string bytes = recordsCsv(records);
    QSaveFile out(QString::fromStdString(file));
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !out.commit()) {
        return "无法写入 " + file + "：" + out.errorString().toStdString();
    }
    return {};
}

}  // namespace kova
