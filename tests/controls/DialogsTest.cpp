#include <gtest/gtest.h>

#include <QDialog>
#include <climits>

#include "DialogsRecorder.h"
#include "controls/DialogUnits.h"
#include "controls/Dialogs.h"

namespace kova {
namespace {

TEST(DialogUnitsTest, MulDivRoundsHalfAwayFromZero) {
    struct Case {
        int number, numerator, denominator, expected;
    };
    const Case cases[] = {
        {3, 6, 4, 5},        {5, 6, 4, 8},   {-3, 6, 4, -5}, {2, 6, 4, 3},
        {1, 12, 8, 2},       {7, 12, 8, 11}, {0, 6, 4, 0},   {-5, 1, -2, 3},
        {5, 1, -2, -3},      {10, 1, 3, 3},  {11, 1, 3, 4},  {INT_MAX, 2, 2, INT_MAX},
        {INT_MAX, 2, 1, -1},  // leaves the 32-bit range
        {7, 6, 0, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected)
            << c.number << " * " << c.numerator << " / " << c.denominator;
    }
}

TEST(DialogUnitsTest, EachTemplateNumberConvertsOnItsOwn) {
    // x and width by 6/4, y and height by 12/8: 10.5 -> 11, 16.5 -> 17, 742.5 -> 743.
    EXPECT_EQ(dialogUnitRect(7, 11, 495, 320), QRect(11, 17, 743, 480));
    EXPECT_EQ(dialogUnitRect(1, 1, 1, 1), QRect(2, 2, 2, 2));
}

TEST(DialogsRecorderTest, AnswersQuestionsInOrderThenWithTheDefault) {
    DialogsRecorder recorder;
    ScopedDialogs scoped(recorder);
    recorder.answers = {true, false};
    recorder.defaultAnswer = true;
    dialogs().message(nullptr, "保存失败！", "Calib", MessageIcon::Exclamation);
    EXPECT_TRUE(dialogs().question(nullptr, "q1"));
    EXPECT_FALSE(dialogs().question(nullptr, "q2"));
    EXPECT_TRUE(dialogs().question(nullptr, "q3"));
    ASSERT_EQ(recorder.boxes.size(), 4u);
    EXPECT_FALSE(recorder.boxes[0].question);
    EXPECT_EQ(recorder.boxes[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(recorder.boxes[1].caption, "提示");  // the confirmation caption by default
    EXPECT_EQ(recorder.boxes[1].icon, MessageIcon::Question);
    EXPECT_EQ(recorder.boxes[3].text, "q3");
}

TEST(DialogsRecorderTest, ModalDialogsAreRecordedInTheOrderTheyOpen) {
    DialogsRecorder recorder;
    QDialog outer;
    outer.setWindowTitle(QStringLiteral("外"));
    QDialog inner;
    inner.setWindowTitle(QStringLiteral("内"));
    recorder.onModal = [&](QDialog& dialog) {
        if (&dialog == &outer) {
            EXPECT_TRUE(outer.isVisible());
            EXPECT_EQ(dialogs().runModal(inner), 0);  // left open: hidden, 0
            outer.done(7);
        }
    };
    {
        ScopedDialogs scoped(recorder);
        EXPECT_EQ(dialogs().runModal(outer), 7);
    }
    EXPECT_NE(&dialogs(), static_cast<Dialogs*>(&recorder));  // the guard restored the Qt one
    ASSERT_EQ(recorder.modals.size(), 2u);
    EXPECT_EQ(recorder.modals[0].title, "外");
    EXPECT_FALSE(recorder.modals[0].leftOpen);
    EXPECT_EQ(recorder.modals[1].title, "内");
    EXPECT_TRUE(recorder.modals[1].leftOpen);
    EXPECT_FALSE(inner.isVisible());
}

TEST(UnattendedDialogsTest, AnswersWithTheDefaultAndNeverShowsADialog) {
    Dialogs& unattended = unattendedDialogs();
    ::testing::internal::CaptureStderr();
    unattended.message(nullptr, "没有配置工位信息", "Calib", MessageIcon::Exclamation);
    EXPECT_TRUE(
        unattended.question(nullptr, "确实要删除该项？", kConfirmCaption, MessageIcon::Question));
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("密码输入"));
    EXPECT_EQ(unattended.runModal(dialog), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Calib: 没有配置工位信息\n提示: 确实要删除该项？ (是)\n"
              "密码输入: not shown without a display\n");
}

}  // namespace
}  // namespace kova
