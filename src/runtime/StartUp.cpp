#include "runtime/StartUp.h"

#include "platform/HostPath.h"
#include "platform/Numbers.h"
#include "platform/TextCodec.h"

namespace kova {
namespace {

constexpr const char* kHardwareClient = "Calib";

std::string parameterText(const IniFile& ini, const char* key, const char* defaultText) {
    return ini.readString(kParameterSection, key, defaultText, kParameterBytes);
}

}  // namespace

std::string systemLibraryFailureText(int code) {
    return "Tesvar.dll版本不匹配/加载错误/该文件不存在！错误码:[" + formatInt(code) + "]";
}

int runApplication(Runtime& rt, EnvRecord& env, const ApplicationWindows& windows) {
    rt.systemLibrary.setMessageSink(windows.showMessage);
    const int loaded = rt.systemLibrary.Load(1);
    if (loaded != SystemLibrary::kLoaded) {
        if (windows.showMessage) {
            windows.showMessage(systemLibraryFailureText(loaded));
        }
        return 1;
    }
    rt.systemLibrary.GetTesvar(&env);
    rt.PasswordRequired = 1;
    if (windows.runMainWindow) {
        windows.runMainWindow();
    }
    rt.systemLibrary.Unload();
    return 0;
}

std::string versionLabelText(SystemLibrary& library) {
    char buffer[SystemLibrary::kVersionBytes] = {};
    library.GetVers(0, buffer);
    buffer[sizeof buffer - 1] = '\0';
    return "Ver:" + gbkToUtf8(buffer);
}

void buildIniPaths(Runtime& rt, const EnvRecord& env) {
    const std::string configDir = env.ConfigDir();
    rt.CalibIniPath = configDir + "\\Calib.ini";
    rt.SysIniPath = configDir + "\\sysKOVA.ini";
    rt.DevIdIniPath = configDir + "\\DevID.ini";
}

std::string hardwareModulePath(const EnvRecord& env) {
    return env.ModuleDir() + "\\Ferroxan.dll";
}

void openHardwareModule(CExtModule& module, const std::string& path) {
    module.Load(path);
    module.ExtClose();
    module.ExtOpen(kHardwareClient);
}

void readRuntimeParameters(Runtime& rt) {
    const IniFile ini(rt.CalibIniPath);
    rt.MS = parseLeadingInt(parameterText(ini, "MS", "100"));
    rt.AVERNUM = parseLeadingInt(parameterText(ini, "AVERNUM", "30"));
    rt.HDNUM = parseLeadingInt(parameterText(ini, "HDNUM", "5"));
    rt.FIRNUM = static_cast<float>(parseLeadingDouble(parameterText(ini, "FIRNUM", "0.7")));
}

std::optional<std::string> openAcqLog(Runtime& rt, const EnvRecord& env) {
    const std::string moduleDir = env.ModuleDir();
    const std::string name = moduleDir.empty() ? "AcqData.log" : moduleDir + "\\AcqData.log";
    const std::string file = pathText(hostPath(name));
    if (!rt.AcqLog.open(file)) {
        return file + " built fail!";
    }
    return std::nullopt;
}

IniWriteResult restoreDefaultParameters(const std::string& calibIniPath) {
    return IniFile(calibIniPath)
        .writeStrings({{kParameterSection, "MS", "100"},
                       {kParameterSection, "AVERNUM", "30"},
                       {kParameterSection, "HDNUM", "5"}});
}

}  // namespace kova
