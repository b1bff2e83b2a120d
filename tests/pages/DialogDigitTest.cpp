#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "CheckFixture.h"
#include "config/ChannelStore.h"
#include "pages/Dialog_Digit.h"
#include "pages/PageImages.h"

namespace kova::testing {
namespace {

using Commands = std::vector<std::pair<int, int>>;

class DialogDigitTest : public CheckFixture {
  protected:
    Dialog_Digit& create() {
        const ChannelStore labels(
            ChannelIniPaths{rt_.CalibIniPath, rt_.SysIniPath, rt_.DevIdIniPath});
        digit_ = std::make_unique<Dialog_Digit>(rt_.hardwareModule, labels);
        return *digit_;
    }

    std::unique_ptr<Dialog_Digit> digit_;
};

bool showsImage(const QLabel* indicator, const QPixmap& image) {
    return indicator->pixmap().toImage() == image.toImage();
}

TEST_F(DialogDigitTest, CreatedHiddenWithOutputsLowLabelsAndPolling) {
    Dialog_Digit& digit = create();
    EXPECT_EQ(digit.windowTitle().toStdString(), "Calib - 数字通道测试");
    EXPECT_FALSE(digit.isVisible());
    EXPECT_EQ(card_.takeCommands(), allLowCommands());
    EXPECT_EQ(digit.outputButton(3)->text().toStdString(), "电机");
    EXPECT_EQ(digit.outputButton(4)->text().toStdString(), "4");
    EXPECT_EQ(digit.outputButton(23)->text().toStdString(), "23");
    EXPECT_EQ(digit.inputLabel(5)->text().toStdString(), "光电");
    EXPECT_EQ(digit.inputLabel(0)->text().toStdString(), "1");  // input n is labelled n + 1
    EXPECT_EQ(digit.inputLabel(15)->text().toStdString(), "16");
    for (int n = 0; n < Dialog_Digit::kOutputs; ++n) {
        EXPECT_TRUE(digit.outputButton(n)->isCheckable());
        EXPECT_FALSE(digit.outputButton(n)->isChecked()) << n;
    }
    for (int n = 0; n < Dialog_Digit::kInputs; ++n) {
        EXPECT_TRUE(showsImage(digit.indicator(n), InactiveImage())) << n;
    }
    // Polling runs from creation, hidden as it is.
    EXPECT_TRUE(digit.pollTimer()->isActive());
    EXPECT_EQ(digit.pollTimer()->interval(), 500);
}

TEST_F(DialogDigitTest, EachButtonDrivesItsOutput) {
    Dialog_Digit& digit = create();
    digit.show();
    card_.takeCommands();
    QTest::mouseClick(digit.outputButton(5), Qt::LeftButton);
    EXPECT_TRUE(digit.outputButton(5)->isChecked());
    QTest::mouseClick(digit.outputButton(5), Qt::LeftButton);
    EXPECT_FALSE(digit.outputButton(5)->isChecked());
    // The configured label changes the text, not the output.
    QTest::mouseClick(digit.outputButton(3), Qt::LeftButton);
    EXPECT_EQ(card_.takeCommands(), (Commands{{5, 1}, {5, 0}, {3, 1}}));
}

TEST_F(DialogDigitTest, AllLowSendsTwentyFourLowCommandsAndReleasesTheButtons) {
    Dialog_Digit& digit = create();
    digit.show();
    card_.takeCommands();
    digit.outputButton(3)->click();
    digit.outputButton(17)->click();
    EXPECT_EQ(card_.takeCommands(), (Commands{{3, 1}, {17, 1}}));
    digit.allLowButton()->click();
    EXPECT_EQ(card_.takeCommands(), allLowCommands());
    EXPECT_FALSE(digit.outputButton(3)->isChecked());
    EXPECT_FALSE(digit.outputButton(17)->isChecked());
}

TEST_F(DialogDigitTest, OnlyAnInputReadingOneIsShownActive) {
    Dialog_Digit& digit = create();
    card_.setInput(0, 1);
    card_.setInput(1, 2);
    card_.setInput(2, -1);
    card_.setInput(15, 1);
    digit.poll();
    EXPECT_TRUE(showsImage(digit.indicator(0), ActiveImage()));
    EXPECT_TRUE(showsImage(digit.indicator(1), InactiveImage()));
    EXPECT_TRUE(showsImage(digit.indicator(2), InactiveImage()));
    EXPECT_TRUE(showsImage(digit.indicator(15), ActiveImage()));
    EXPECT_TRUE(digit.inputShownActive(15));
    EXPECT_FALSE(digit.inputShownActive(1));
    card_.setInput(0, 0);
    digit.poll();
    EXPECT_TRUE(showsImage(digit.indicator(0), InactiveImage()));
}

TEST_F(DialogDigitTest, ClosingDrivesAllLowStopsPollingAndShowingPollsAgain) {
    Dialog_Digit& digit = create();
    digit.ShowTest();
    digit.outputButton(7)->click();
    digit.outputButton(20)->click();
    card_.takeCommands();
    EXPECT_TRUE(digit.close());
    EXPECT_FALSE(digit.isVisible());
    EXPECT_EQ(card_.takeCommands(), allLowCommands());
    EXPECT_FALSE(digit.outputButton(7)->isChecked());
    EXPECT_FALSE(digit.pollTimer()->isActive());

    digit.ShowTest();
    EXPECT_TRUE(digit.isVisible());
    EXPECT_TRUE(digit.pollTimer()->isActive());
    EXPECT_EQ(digit.pollTimer()->interval(), 500);
    EXPECT_TRUE(card_.takeCommands().empty());  // showing changes no output
    card_.setInput(4, 1);
    digit.poll();
    EXPECT_TRUE(digit.inputShownActive(4));

    // Escape closes the same way; Enter does nothing.
    digit.outputButton(1)->click();
    card_.takeCommands();
    QTest::keyClick(&digit, Qt::Key_Return);
    EXPECT_TRUE(digit.isVisible());
    EXPECT_TRUE(card_.takeCommands().empty());
    QTest::keyClick(&digit, Qt::Key_Escape);
    EXPECT_FALSE(digit.isVisible());
    EXPECT_EQ(card_.takeCommands(), allLowCommands());
}

}  // namespace
}  // namespace kova::testing
