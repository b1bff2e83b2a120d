#include "ToolOptions.h"

#include <algorithm>
#include <iostream>

#include "calib/ProgramVersion.h"

namespace kova::tool {

std::optional<std::string> Options::value(std::string_view name) const {
    const auto it = values.find(name);
    return it == values.end() ? std::nullopt : std::optional(it->second);
}

std::string parseOptions(int argc, char** argv, const OptionRules& rules, Options& out) {
    const auto listed = [](const std::vector<std::string_view>& names, std::string_view name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool number = arg.size() >= 2 && arg[1] >= '0' && arg[1] <= '9';
        if (optionsEnded || arg.size() < 2 || arg[0] != '-' ||
            (rules.negativeNumbersAreArguments && number)) {
            out.positional.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (listed(rules.flags, arg) || arg == kVersionFlag) {
            out.flags.emplace(arg);
            continue;
        }
        const std::size_t eq = arg.find('=');
        const std::string_view name = arg.substr(0, eq);
        if (!listed(rules.valued, name)) {
            return "unknown option " + std::string(arg);
        }
        if (eq != std::string_view::npos) {
            out.values[std::string(name)] = std::string(arg.substr(eq + 1));
        } else if (i + 1 < argc) {
            out.values[std::string(name)] = std::string(argv[++i]);
        } else {
            return "option " + std::string(name) + " needs a value";
        }
    }
    return {};
}

int usageError(std::string_view program, std::string_view message, std::string_view usage) {
    std::cerr << program << ": " << message << "\n" << usage;
    return kExitUsage;
}

std::optional<int> exitBeforeRunning(std::string_view program, const Options& options,
                                     const std::string& error, std::string_view usage,
                                     std::string_view helpText) {
    if (options.has("--help")) {
        std::cout << usage << helpText;
        return kExitOk;
    }
    if (options.has(kVersionFlag)) {
        std::cout << programVersionText(program);
        return kExitOk;
    }
    if (!error.empty()) {
        return usageError(program, error, usage);
    }
    return std::nullopt;
}

int runProgram(const Program& program, int argc, char** argv,
               const std::function<int(Options&)>& run) {
    Options options;
    const std::string error = parseOptions(argc, argv, program.rules, options);
    if (const auto exit =
            exitBeforeRunning(program.name, options, error, program.usage, program.helpText)) {
        return *exit;
    }
    const int status = run(options);
    std::cout.flush();
    return status == kExitOk && !std::cout ? kExitFailed : status;
}

}  // namespace kova::tool
