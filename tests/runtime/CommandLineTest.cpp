#include "runtime/CommandLine.h"

#include <gtest/gtest.h>

#include <string>

#include "KovaVersion.h"
#include "TestFiles.h"

using kova::CommandLineRequest;
using kova::ScreenRect;

namespace {

// Fields are split by the stand-in system library, as at a real start.
class CommandLineTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(library_.Load(1), kova::SystemLibrary::kLoaded); }

    CommandLineRequest read(std::optional<std::string_view> argument) {
        return kova::readCommandLine(library_, argument);
    }

    kova::test::ScopedEnv systemDir_{"KOVA_SYSTEM_DIR", KOVA_TEST_SYSTEM_DIR};
    kova::SystemLibrary library_;
};

}  // namespace

TEST_F(CommandLineTest, WithoutAnArgumentThePasswordBoxIsAskedForAndNothingMoves) {
    const CommandLineRequest request = read(std::nullopt);
    EXPECT_FALSE(request.windowRect.has_value());
    EXPECT_EQ(request.PasswordRequired, 1);
}

TEST_F(CommandLineTest, FieldsGiveTheRectangleAndThePasswordSwitch) {
    const CommandLineRequest request = read("10,20,300,400,0");
    ASSERT_TRUE(request.windowRect.has_value());
    EXPECT_EQ(*request.windowRect, (ScreenRect{10, 20, 300, 400}));
    EXPECT_EQ(request.PasswordRequired, 0);

    EXPECT_EQ(read("0,0,800,600,1").PasswordRequired, 1);
    EXPECT_EQ(read("0,0,800,600,2").PasswordRequired, 2);  // not 1: no password box
}

TEST_F(CommandLineTest, FieldsAreReadByTheirLeadingNumber) {
    const CommandLineRequest request = read("-5px, 7,abc,,1x");
    EXPECT_EQ(*request.windowRect, (ScreenRect{-5, 7, 0, 0}));
    EXPECT_EQ(request.PasswordRequired, 1);

    // Missing fields read as 0, so an argument without field 4 skips the password box.
    const CommandLineRequest shortOne = read("1,2");
    EXPECT_EQ(*shortOne.windowRect, (ScreenRect{1, 2, 0, 0}));
    EXPECT_EQ(shortOne.PasswordRequired, 0);
    EXPECT_EQ(read("").PasswordRequired, 0);
}

TEST_F(CommandLineTest, AnOverlongArgumentIsCutTo511Bytes) {
    const std::string fits = std::string(501, ' ') + "1,2,3,4,11";  // 511 bytes
    EXPECT_EQ(read(fits).PasswordRequired, 11);
    const std::string over = std::string(502, ' ') + "1,2,3,4,11";  // 512 bytes: the last is cut
    const CommandLineRequest request = read(over);
    EXPECT_EQ(*request.windowRect, (ScreenRect{1, 2, 3, 4}));
    EXPECT_EQ(request.PasswordRequired, 1);
}

TEST(CommandLineArgumentTest, OnlyTheFirstArgumentCounts) {
    const char* none[] = {"Calib"};
    EXPECT_FALSE(kova::firstArgument(1, none).has_value());
    const char* two[] = {"Calib", "1,2,3,4,0", "ignored"};
    EXPECT_EQ(kova::firstArgument(3, two), "1,2,3,4,0");
    const char* empty[] = {"Calib", ""};
    EXPECT_EQ(kova::firstArgument(2, empty), "");
}

TEST(CommandLineArgumentTest, OnlyAWholeFirstArgumentAsksForHelpOrVersion) {
    const char* help[] = {"Calib", "--help"};
    EXPECT_NE(kova::informationRequest(2, help).value_or("").find("Usage: Calib"),
              std::string::npos);
    const char* version[] = {"Calib", "--version", "ignored"};
    EXPECT_EQ(kova::informationRequest(3, version), "Calib " + std::string(kova::kProgramVersion) +
                                                        "\n标定模块版本3.0 (KOVA 标定程序)\n");
    // Everything else is the window's argument, however it looks.
    for (const char* first : {"0,0,761,557,0", "--HELP", "--help,1", "-h", ""}) {
        const char* argv[] = {"Calib", first, "--help"};
        EXPECT_FALSE(kova::informationRequest(3, argv).has_value()) << first;
    }
    const char* none[] = {"Calib"};
    EXPECT_FALSE(kova::informationRequest(1, none).has_value());
}
