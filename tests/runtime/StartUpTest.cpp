#include "runtime/StartUp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "TestFiles.h"
#include "platform/DynamicLibrary.h"

namespace fs = std::filesystem;
using kova::Runtime;
using kova::test::ScopedEnv;

namespace {

std::unique_ptr<EnvRecord> recordWith(const std::string& configDir, const std::string& moduleDir) {
    auto env = std::make_unique<EnvRecord>();
    env->setText(EnvRecord::kConfigDirOffset, configDir);
    env->setText(EnvRecord::kModuleDirOffset, moduleDir);
    return env;
}

}  // namespace

TEST(StartUpTest, IniPathsAndModulePathComeFromTheEnvironmentRecord) {
    const auto env = recordWith("D:\\KOVA\\配置", "/opt/kova");
    Runtime rt;
    kova::buildIniPaths(rt, *env);
    EXPECT_EQ(rt.CalibIniPath, "D:\\KOVA\\配置\\Calib.ini");
    EXPECT_EQ(rt.SysIniPath, "D:\\KOVA\\配置\\sysKOVA.ini");
    EXPECT_EQ(rt.DevIdIniPath, "D:\\KOVA\\配置\\DevID.ini");
    EXPECT_EQ(kova::hardwareModulePath(*env), "/opt/kova\\Ferroxan.dll");
}

TEST(StartUpTest, TheHardwareModuleIsLoadedClosedAndOpenedForCalib) {
    kova::test::TempDir dir;
    fs::copy_file(KOVA_TEST_FULL_CARD, dir / "Ferroxan.so");
    const auto env = recordWith("", dir.path().string());
    CExtModule module;
    kova::openHardwareModule(module, kova::hardwareModulePath(*env));
    ASSERT_TRUE(module.IsLoaded());

    const kova::DynamicLibrary probe = kova::DynamicLibrary::open((dir / "Ferroxan.so").string());
    const auto events = reinterpret_cast<const char* (*)()>(probe.symbol("TestEvents"));
    ASSERT_NE(events, nullptr);
    EXPECT_STREQ(events(), "close;open:Calib;");
}

TEST(StartUpTest, TheAcquisitionLogAppendsInTheModuleDirectory) {
    kova::test::TempDir dir;
    kova::test::writeBytes(dir / "AcqData.log", "earlier\n");
    const auto env = recordWith("", dir.path().string());
    Runtime rt;
    EXPECT_EQ(kova::openAcqLog(rt, *env), std::nullopt);
    ASSERT_TRUE(rt.AcqLog);
    rt.AcqLog.write("later\n");
    rt.AcqLog.close();
    EXPECT_EQ(kova::test::readBytes(dir / "AcqData.log"), "earlier\nlater\n");
}

TEST(StartUpTest, ALogThatCannotBeOpenedIsReportedWithItsPath) {
    kova::test::TempDir dir;
    const auto env = recordWith("", (dir / "missing").string());
    Runtime rt;
    const auto status = kova::openAcqLog(rt, *env);
    EXPECT_FALSE(rt.AcqLog);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, (dir / "missing" / "AcqData.log").string() + " built fail!");
}

TEST(StartUpTest, VersionLabelShowsTheLibrarysText) {
    kova::SystemLibrary absent;
    EXPECT_EQ(kova::versionLabelText(absent), "Ver:");

    const ScopedEnv systemDir("KOVA_SYSTEM_DIR", KOVA_TEST_SYSTEM_DIR);
    kova::SystemLibrary library;
    ASSERT_EQ(library.Load(1), 1);
    char version[kova::SystemLibrary::kVersionBytes] = {};
    library.GetVers(0, version);
    EXPECT_EQ(kova::versionLabelText(library), std::string("Ver:") + version);
}

TEST(StartUpTest, ApplicationRunsTheMainWindowWithTheRecordFilledThenReleasesTheLibrary) {
    const ScopedEnv systemDir("KOVA_SYSTEM_DIR", KOVA_TEST_SYSTEM_DIR);
    const ScopedEnv config("KOVA_CONFIG_DIR", "D:\\站\\config");
    Runtime rt;
    rt.PasswordRequired = 0;
    auto env = std::make_unique<EnvRecord>();
    int windows = 0;
    std::string messages;
    const int exitCode = kova::runApplication(rt, *env,
                                              {[&](const std::string& text) { messages += text; },
                                               [&] {
                                                   ++windows;
                                                   EXPECT_EQ(env->ConfigDir(), "D:\\站\\config");
                                                   EXPECT_EQ(rt.PasswordRequired, 1);
                                                   EXPECT_TRUE(rt.systemLibrary.isLoaded());
                                               }});
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(windows, 1);
    EXPECT_EQ(messages, "");
    EXPECT_FALSE(rt.systemLibrary.isLoaded());
}

TEST(StartUpTest, ALibraryMissingAnEntryPointShowsItsCodeAndOpensNoWindow) {
    const ScopedEnv systemDir("KOVA_SYSTEM_DIR", KOVA_TEST_TESVAR_MISSING_FOURTH_DIR);
    Runtime rt;
    auto env = std::make_unique<EnvRecord>();
    int windows = 0;
    std::string messages;
    const int exitCode = kova::runApplication(
        rt, *env, {[&](const std::string& text) { messages += text; }, [&] { ++windows; }});
    EXPECT_EQ(messages, "Tesvar.dll版本不匹配/加载错误/该文件不存在！错误码:[-5]");
    EXPECT_EQ(windows, 0);
    EXPECT_NE(exitCode, 0);
    EXPECT_EQ(env->ConfigDir(), "");
}

TEST(StartUpTest, AMissingLibraryEndsTheProcessWithMinusOneBeforeAnyWindow) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    kova::test::TempDir empty;
    const ScopedEnv systemDir("KOVA_SYSTEM_DIR", empty.path());
    EXPECT_EXIT(
        {
            Runtime rt;
            auto env = std::make_unique<EnvRecord>();
            kova::runApplication(
                rt, *env,
                {[](const std::string& text) { fprintf(stderr, "box: %s\n", text.c_str()); },
                 [] { fprintf(stderr, "main window\n"); }});
        },
        ::testing::ExitedWithCode(255), "^box: 系统库不存在或者版本错误!\n$");
}
