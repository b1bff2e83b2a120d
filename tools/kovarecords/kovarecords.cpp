// kovarecords: a channel's calibration records from the command line, read from the database the
// tool writes them to (the station's CalibRecords.db or the site database): a list, a CSV, or
// the verification report of the latest check.

#include <QGuiApplication>
#include <array>
#include <charconv>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ToolOptions.h"
#include "calib/CalibList.h"
#include "calib/CalibTable.h"
#include "device/EnvRecord.h"
#include "device/SystemLibrary.h"
#include "platform/Numbers.h"
#include "records/RecordsCsv.h"
#include "records/RecordsLocation.h"
#include "records/RecordsStore.h"
#include "records/logic/CheckErrors.h"
#include "records/report/RecordsReport.h"

namespace {

constexpr int kOk = kova::tool::kExitOk;
constexpr int kFailed = kova::tool::kExitFailed;

constexpr std::string_view kUsage =
    "Usage: kovarecords [--station NAME] [--device NAME] list CHANNEL\n"
    "   or: kovarecords [--station NAME] [--device NAME] report CHANNEL FILE.pdf\n"
    "   or: kovarecords [--station NAME] [--device NAME] csv CHANNEL FILE.csv\n"
    "   or: kovarecords --help | --version\n";

constexpr std::string_view kHelp =
    "\n"
    "Reads the calibration records the tool keeps: every saved calibration and check of a\n"
    "channel, newest first.\n"
    "\n"
    "  list    prints one line a record: local time, kind, station/device, operator, the\n"
    "          number of points (a check: its rows, the largest error, in % of full scale,\n"
    "          and the verdict against the tolerance).\n"
    "  report  writes the verification report of the channel's latest check, with the\n"
    "          calibration it was checked against, as an A4 PDF.\n"
    "  csv     writes the history as CSV (UTF-8 with a byte-order mark, CRLF, Chinese\n"
    "          header).\n"
    "\n"
    "  --station NAME, --device NAME\n"
    "          only the records of that station (\"1工位\") or device (\"制动台\"); a site\n"
    "          database holds channel CHANNEL of every station.\n"
    "\n"
    "The records are found as the tool finds them: CalibRecords.db in the configuration\n"
    "directory of the system library's environment record, or the site database named by\n"
    "[RECORDS] DATABASE in sysKOVA.ini there (postgresql://user@host:port/name; the password in\n"
    "the URL, in ~/.pgpass or in $PGPASSWORD). $KOVA_RECORDS_DATABASE replaces the ini's\n"
    "setting; set but empty it keeps to the station's file.\n"
    "\n"
    "Exit status: 0 done, 1 nothing to show or the records or the file could not be read or\n"
    "written (the reason on standard error), 2 usage error.\n";

int usageError(const std::string& message) {
    return kova::tool::usageError("kovarecords", message, kUsage);
}

int failed(const std::string& message) {
    std::cerr << "kovarecords: " << message << '\n';
    return kFailed;
}

std::optional<int> channelNumber(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

// The environment record's ConfigDir, as the tool gets it at start-up.
std::optional<std::string> configDirectory(std::string& error) {
    kova::SystemLibrary library;
    library.keepProcessWhenNotLoadable();
    const int loaded = library.Load(1);
    if (loaded != kova::SystemLibrary::kLoaded) {
        error = "系统库(Tesvar)加载错误，错误码:[" + std::to_string(loaded) + "]";
        return std::nullopt;
    }
    auto env = std::make_unique<EnvRecord>();
    library.GetTesvar(env.get());
    library.Unload();
    return env->ConfigDir();
}

std::string number(double value) {
    return kova::formatFixed(value, 4);
}

std::string listLine(const kova::CalibRecord& r) {
    std::string line = kova::localTimeText(r.utcMs) + "  " + kova::recordKindText(r.kind) + "  " +
                       r.channel.station + "/" + r.channel.device + "  " +
                       (r.operatorName.empty() ? "-" : r.operatorName);
    if (r.kind == kova::RecordKind::Check) {
        const kova::CheckEvaluation e = kova::evaluateCheck(r);
        line += "  " + std::to_string(r.rows.size()) + "行  最大误差 " + number(e.largestError) +
                " " + r.channel.unit + " (" + number(e.largestPercentOfFullScale) + "%FS, 允差 " +
                number(r.tolerancePercent) + "%)  " + kova::verdictText(e);
    } else {
        std::array<float, kova::kCalibTablePoints> data{};
        line += "  " + std::to_string(kova::parseCalibList(r.after.data, data)) + "点";
    }
    return line + "  " + r.id;
}

int run(const std::vector<std::string>& args, const kova::tool::Options& options) {
    const std::string& command = args[0];
    const std::size_t expected = command == "list" ? 2 : 3;
    if (command != "list" && command != "csv" && command != "report") {
        return usageError("unknown command " + command);
    }
    if (args.size() != expected) {
        return usageError(command + " takes " + std::to_string(expected - 1) + " arguments");
    }
    const std::optional<int> channel = channelNumber(args[1]);
    if (!channel) {
        return usageError("CHANNEL must be a channel number, not " + args[1]);
    }
    // A site database holds every station's channel N: --station and --device narrow it down.
    const kova::ChannelQuery query{*channel, options.value("--station").value_or(""),
                                   options.value("--device").value_or("")};
    std::string error;
    const std::optional<std::string> configDir = configDirectory(error);
    if (!configDir) {
        return failed(error);
    }
    kova::RecordsStore store(kova::recordsLocation(*configDir, *configDir + "\\sysKOVA.ini"));
    if (!store.open() && !store.openError().empty()) {
        std::cerr << "kovarecords: " << store.openError() << '\n';
    }
    if (command == "report") {
        const std::optional<kova::CalibRecord> check = store.latestCheck(query);
        if (!check) {
            return failed(store.problem().empty()
                              ? "通道 " + std::to_string(*channel) + " 没有校验记录"
                              : store.problem());
        }
        const std::optional<kova::CalibRecord> calibration = store.latestCalibrationBefore(*check);
        const kova::ReportResult written =
            kova::writeCheckReport(*check, calibration ? &*calibration : nullptr, args[2]);
        return written ? kOk : failed(written.reason);
    }
    const std::vector<kova::CalibRecord> records = store.history(query);
    if (!store.problem().empty()) {
        std::cerr << "kovarecords: " << store.problem() << '\n';
    }
    if (records.empty()) {
        return failed("通道 " + std::to_string(*channel) + " 没有标定记录");
    }
    if (command == "list") {
        for (const kova::CalibRecord& r : records) {
            std::cout << listLine(r) << '\n';
        }
        return kOk;
    }
    if (const std::string written = kova::writeRecordsCsv(args[2], records); !written.empty()) {
        return failed(written);
    }
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
    const kova::tool::Program program{
        "kovarecords", {{"--help"}, {"--station", "--device"}}, kUsage, kHelp};
    return kova::tool::runProgram(program, argc, argv, [argv](kova::tool::Options& options) {
        if (options.positional.empty()) {
            return usageError("no command given");
        }
        // Qt SQL finds its drivers through the application object; the report's fonts need a
        // Gui one. A command-line program shows no window: no display is needed.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        int qtArgc = 1;
        QGuiApplication app(qtArgc, argv);
        return run(options.positional, options);
    });
}
