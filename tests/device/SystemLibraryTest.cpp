#include "device/SystemLibrary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "TestFiles.h"
#include "device/SystemLibraryNames.h"
#include "platform/TextCodec.h"

namespace fs = std::filesystem;
using kova::SystemLibrary;
using kova::test::ScopedEnv;

namespace {

// The stand-in library, loaded from the build's system directory.
class StandInTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(library_.Load(1), SystemLibrary::kLoaded); }

    std::string field(const std::string& sourceUtf8, int n, int* result = nullptr) {
        const std::string source = kova::utf8ToGbk(sourceUtf8);
        char buffer[SystemLibrary::kFieldBytes];
        std::memset(buffer, 'x', sizeof buffer);
        const int r = library_.GetField(source.c_str(), buffer, n);
        if (result != nullptr) {
            *result = r;
        }
        return kova::gbkToUtf8(buffer);
    }

    ScopedEnv systemDir_{"KOVA_SYSTEM_DIR", KOVA_TEST_SYSTEM_DIR};
    SystemLibrary library_;
};

}  // namespace

TEST(SystemLibraryTest, SelectorNamesTheVariant) {
    const std::pair<int, const char*> cases[] = {
        {1, "Tesvar.dll"},     {2, "Tesvar2b.dll"}, {4, "Tesvar4b.dll"}, {8, "Tesvar8b.dll"},
        {16, "Tesvar16b.dll"}, {0, "Tesvar.dll"},   {3, "Tesvar.dll"},   {-2, "Tesvar.dll"},
    };
    for (const auto& [selector, name] : cases) {
        EXPECT_EQ(kova::systemLibraryFileName(selector), name) << selector;
    }
}

TEST(SystemLibraryTest, MissingNameCodesRunFromMinus2ToMinus214WithoutMinus117) {
    EXPECT_EQ(kova::missingEntryPointCode(0), -2);
    EXPECT_EQ(kova::missingEntryPointCode(3), -5);
    EXPECT_EQ(kova::missingEntryPointCode(114), -116);
    EXPECT_EQ(kova::missingEntryPointCode(115), -118);
    EXPECT_EQ(kova::missingEntryPointCode(211), -214);
    std::set<int> codes;
    for (std::size_t i = 0; i < kova::kSystemLibraryNameCount; ++i) {
        codes.insert(kova::missingEntryPointCode(i));
    }
    EXPECT_EQ(codes.size(), kova::kSystemLibraryNameCount);
    EXPECT_EQ(codes.count(-117), 0u);
}

TEST(SystemLibraryTest, NameTableLeadsWithTheCalledEntryPoints) {
    const std::set<std::string_view> distinct(kova::kSystemLibraryNames.begin(),
                                              kova::kSystemLibraryNames.end());
    EXPECT_EQ(distinct.size(), 212u);
    EXPECT_EQ(kova::kSystemLibraryNames[0], "GetTesvar");
    EXPECT_EQ(kova::kSystemLibraryNames[1], "GetVers");
    EXPECT_EQ(kova::kSystemLibraryNames[2], "GetField");
    EXPECT_EQ(kova::kSystemLibraryNames[3], "Filter_1");
    // The test module built without this name relies on its position.
    EXPECT_EQ(kova::kSystemLibraryNames[115], "WriteLine");
}

TEST(SystemLibraryTest, TheFirstMissingEntryPointDecidesTheCode) {
    const std::pair<const char*, int> cases[] = {
        {KOVA_TEST_TESVAR_MISSING_FOURTH_DIR, -5},
        {KOVA_TEST_TESVAR_MISSING_WRITELINE_DIR, -118},
    };
    for (const auto& [dir, code] : cases) {
        const ScopedEnv systemDir("KOVA_SYSTEM_DIR", dir);
        SystemLibrary library;
        EXPECT_EQ(library.Load(1), code) << dir;
        EXPECT_TRUE(library.isLoaded());  // it stays loaded
    }
}

TEST(SystemLibraryTest, AnUnloadableLibraryEndsTheProcessWithMinusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    kova::test::TempDir empty;
    kova::test::writeBytes(empty / "Tesvar4b.so", "not a library");
    const ScopedEnv systemDir("KOVA_SYSTEM_DIR", empty.path());
    for (int selector : {1, 4}) {
        EXPECT_EXIT(
            {
                SystemLibrary library(
                    [](const std::string& text) { fprintf(stderr, "shown: %s\n", text.c_str()); });
                library.Load(selector);
            },
            ::testing::ExitedWithCode(255), "shown: 系统库不存在或者版本错误!")
            << selector;
    }
}

TEST(SystemLibraryTest, AbsentEntryPointsGiveMinus1000) {
    SystemLibrary library;
    EnvRecord record;
    char buffer[SystemLibrary::kVersionBytes] = "untouched";
    EXPECT_EQ(library.GetTesvar(&record), -1000);
    EXPECT_EQ(library.GetVers(0, buffer), -1000);
    EXPECT_EQ(library.GetField("a,b", buffer, 0), -1000);
    EXPECT_STREQ(buffer, "untouched");
    EXPECT_EQ(library.Filter_1(0, 1.0f, 0.5f), -1000.0f);
    EXPECT_EQ(record.ConfigDir(), "");
}

TEST_F(StandInTest, UnloadMakesEveryEntryPointAbsent) {
    EXPECT_TRUE(library_.isLoaded());
    library_.Unload();
    EXPECT_FALSE(library_.isLoaded());
    char buffer[SystemLibrary::kVersionBytes] = {};
    EXPECT_EQ(library_.GetVers(0, buffer), -1000);
    EXPECT_EQ(library_.Filter_1(0, 1.0f, 0.5f), -1000.0f);
}

TEST_F(StandInTest, FillsTheEnvironmentRecordFromTheEnvironment) {
    const ScopedEnv config("KOVA_CONFIG_DIR", "D:\\标定\\config");
    const ScopedEnv modules("KOVA_MODULE_DIR", "/opt/kova/modules");
    const ScopedEnv box("KOVA_PASSWORDBOX", "/opt/kova/Box.dll");
    auto record = std::make_unique<EnvRecord>();
    library_.GetTesvar(record.get());
    EXPECT_EQ(record->ConfigDir(), "D:\\标定\\config");
    EXPECT_EQ(record->ModuleDir(), "/opt/kova/modules");
    EXPECT_EQ(record->PasswordBoxPath(), "/opt/kova/Box.dll");
    // The record holds GBK at the fixed offsets.
    const std::string gbk = kova::utf8ToGbk("D:\\标定\\config");
    EXPECT_EQ(std::memcmp(record->bytes + 7806, gbk.c_str(), gbk.size() + 1), 0);
    EXPECT_EQ(std::memcmp(record->bytes + 15198, "/opt/kova/modules", 18), 0);
    EXPECT_EQ(std::memcmp(record->bytes + 79878, "/opt/kova/Box.dll", 18), 0);
}

TEST_F(StandInTest, DefaultsPointAtTheLineLayoutAndTheLibrarysOwnDirectory) {
    const ScopedEnv config("KOVA_CONFIG_DIR", nullptr);
    const ScopedEnv modules("KOVA_MODULE_DIR", nullptr);
    const ScopedEnv box("KOVA_PASSWORDBOX", nullptr);
    auto record = std::make_unique<EnvRecord>();
    library_.GetTesvar(record.get());
    EXPECT_EQ(record->ConfigDir(), "D:\\KOVA\\system\\config");
    EXPECT_TRUE(fs::equivalent(record->ModuleDir(), KOVA_TEST_SYSTEM_DIR));
    EXPECT_EQ(record->PasswordBoxPath(), record->ModuleDir() + "\\PasswordBox.dll");
}

TEST_F(StandInTest, GetFieldSplitsOnCommas) {
    const std::string line = "10,20,300,400,0";
    const char* expected[] = {"10", "20", "300", "400", "0"};
    for (int n = 0; n < 5; ++n) {
        EXPECT_EQ(field(line, n), expected[n]) << n;
    }
    int result = 0;
    EXPECT_EQ(field(line, 5, &result), "");
    EXPECT_EQ(result, -1);
    EXPECT_EQ(field(line, -1, &result), "");
    EXPECT_EQ(result, -1);
    // Blanks stay, empty fields are fields, Chinese text passes through.
    EXPECT_EQ(field(" 1 ,,标定", 0), " 1 ");
    EXPECT_EQ(field(" 1 ,,标定", 1, &result), "");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(field(" 1 ,,标定", 2), "标定");
    EXPECT_EQ(field("", 0), "");
}

TEST_F(StandInTest, GetFieldCutsALongFieldToTheBufferWithoutSplittingACharacter) {
    EXPECT_EQ(field(std::string(600, '7') + ",8", 0), std::string(511, '7'));
    EXPECT_EQ(field(std::string(600, '7') + ",8", 1), "8");
    // 510 ASCII bytes then a double-byte character: the character does not fit and is left out.
    EXPECT_EQ(field(std::string(510, 'a') + "标", 0), std::string(510, 'a'));
}

TEST_F(StandInTest, FilterWeighsThePreviousOutputByTheCoefficient) {
    // Each case uses a slot of its own: the filter keeps state per slot.
    EXPECT_EQ(library_.Filter_1(10, 10.0f, 0.5f), 10.0f);  // the first value passes
    EXPECT_EQ(library_.Filter_1(10, 20.0f, 0.5f), 15.0f);
    EXPECT_EQ(library_.Filter_1(10, 20.0f, 0.5f), 17.5f);
    EXPECT_FLOAT_EQ(library_.Filter_1(10, 0.0f, 0.75f), 13.125f);

    EXPECT_EQ(library_.Filter_1(11, 4.0f, 1.0f), 4.0f);
    EXPECT_EQ(library_.Filter_1(11, 9.0f, 1.0f), 4.0f);  // 1.0 freezes the reading
    EXPECT_EQ(library_.Filter_1(12, 4.0f, 0.0f), 4.0f);
    EXPECT_EQ(library_.Filter_1(12, 9.0f, 0.0f), 9.0f);  // 0.0 follows the input

    EXPECT_EQ(library_.Filter_1(-1, 3.0f, 0.5f), 3.0f);  // outside the slots: passes through
    EXPECT_EQ(library_.Filter_1(64, 3.0f, 0.5f), 3.0f);
}

TEST_F(StandInTest, FilterRecoversFromANonFiniteValue) {
    library_.Filter_1(13, 1.0f, 0.5f);
    EXPECT_TRUE(std::isnan(library_.Filter_1(13, NAN, 0.5f)));
    EXPECT_EQ(library_.Filter_1(13, 6.0f, 0.5f), 6.0f);
}
