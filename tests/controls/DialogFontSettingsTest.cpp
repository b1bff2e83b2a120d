#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <filesystem>
#include <optional>
#include <string>

#include "TestFiles.h"
#include "controls/DialogFontSettings.h"
#include "controls/MoveControl.h"

namespace {

namespace fs = std::filesystem;

// Runs each test in its own temporary working directory and restores the previous one.
class DialogFontSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        previous_ = fs::current_path();
        fs::current_path(dir_.path().toStdString());
    }
    void TearDown() override { fs::current_path(previous_); }

    // Writes loginset.ini (GBK) into dir.
    static void writeLoginSet(const fs::path& dir, const std::string& utf8) {
        kova::test::writeGbk(dir / "loginset.ini", utf8);
    }

    QTemporaryDir dir_;
    fs::path previous_;
};

TEST_F(DialogFontSettingsTest, FileValuesReplaceTheDefaults) {
    struct Case {
        const char* what;
        std::optional<std::string> file;  // none: no file at all
        int size;
        std::string face;
    };
    const std::string forty(40, 'F');
    const std::string twentyHan = "微软雅黑微软雅黑微软雅黑微软雅黑微软雅黑";
    const Case cases[] = {
        {"no file", std::nullopt, 100, "幼圆"},
        {"other section only", "[OTHER]\r\nFONTSIZE=120\r\n", 100, "幼圆"},
        {"size 120", "[DLGFONT]\r\nFONTSIZE=120\r\n", 120, "幼圆"},
        {"letters", "[DLGFONT]\r\nFONTSIZE=big\r\nFONTFOCENAME=宋体\r\n", 0, "宋体"},
        {"leading digits", "[DLGFONT]\r\nFONTSIZE=90pt\r\n", 90, "幼圆"},
        {"forty characters", "[DLGFONT]\r\nFONTFOCENAME=" + forty + "\r\n", 100,
         forty.substr(0, 29)},
        {"twenty Chinese characters", "[DLGFONT]\r\nFONTFOCENAME=" + twentyHan + "\r\n", 100,
         twentyHan.substr(0, 14 * 3)},  // 29 GBK bytes hold 14 of them
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(fs::current_path() / "loginset.ini");
        if (c.file) {
            writeLoginSet(fs::current_path(), *c.file);
        }
        const DialogFontSettings settings = LoadFontSettings();
        EXPECT_EQ(settings.pointSize, c.size);
        EXPECT_EQ(settings.faceName, c.face);
    }
}

TEST_F(DialogFontSettingsTest, AnotherWorkingDirectoryHasItsOwnFile) {
    const fs::path first = fs::current_path() / "first";
    const fs::path second = fs::current_path() / "second";
    fs::create_directories(first);
    fs::create_directories(second);
    writeLoginSet(first, "[DLGFONT]\r\nFONTSIZE=90\r\n");
    writeLoginSet(second, "[DLGFONT]\r\nFONTSIZE=110\r\n");
    fs::current_path(first);
    EXPECT_EQ(LoadFontSettings().pointSize, 90);
    fs::current_path(second);
    EXPECT_EQ(LoadFontSettings().pointSize, 110);
    // A window's layout reads them when it is made.
    EXPECT_EQ(CMoveControl().FontSettings().pointSize, 110);
}

TEST_F(DialogFontSettingsTest, FontFromTheSettings) {
    DialogFontSettings settings;
    settings.pointSize = 120;
    settings.faceName = "宋体";
    const QFont twelve = CreateDialogFont(settings);
    EXPECT_DOUBLE_EQ(twelve.pointSizeF(), 12.0);
    EXPECT_EQ(twelve.family(), QString::fromUtf8("宋体"));

    // No size leaves the platform's default.
    settings.pointSize = 0;
    EXPECT_DOUBLE_EQ(CreateDialogFont(settings).pointSizeF(), QApplication::font().pointSizeF());

    // The face is not installed here; the substitute still draws Chinese text.
    settings = DialogFontSettings{};
    const QFontMetrics metrics(CreateDialogFont(settings));
    EXPECT_GT(metrics.horizontalAdvance(QString::fromUtf8("幼圆")), 0);
}

}  // namespace
