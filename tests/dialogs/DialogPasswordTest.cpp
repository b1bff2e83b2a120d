#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "DialogsRecorder.h"
#include "dialogs/Dialog_Password.h"
#include "dialogs/logic/MaintenancePassword.h"

namespace kova {
namespace {

class DialogPasswordTest : public ::testing::Test {
  protected:
    void SetUp() override { PasswordAccepted = 0; }

    std::string password(int h) const {
        return QString::fromStdString(maintenancePassword(h)).toUpper().toStdString();
    }

    DialogsRecorder recorder;
    ScopedDialogs scoped{recorder};
    int hour = 9;
    Dialog_Password prompt{nullptr, [this] { return hour; }};
};

TEST_F(DialogPasswordTest, UpperCasePasswordOfTheHourIsAccepted) {
    prompt.show();
    prompt.passwordField()->setText(QString::fromStdString(password(9)));
    QTest::mouseClick(prompt.okButton(), Qt::LeftButton);
    EXPECT_EQ(PasswordAccepted, 1);
    EXPECT_FALSE(prompt.isVisible());
    EXPECT_EQ(prompt.result(), QDialog::Accepted);
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(DialogPasswordTest, TheHourOfTheClickCountsAndAWrongPasswordKeepsThePromptOpen) {
    prompt.show();
    prompt.passwordField()->setText(QString::fromStdString(password(9)));
    hour = 10;  // the prompt stayed open across the full hour
    QTest::mouseClick(prompt.okButton(), Qt::LeftButton);

    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, "密码错误！");
    EXPECT_EQ(recorder.boxes[0].caption, "密码输入");
    EXPECT_EQ(recorder.boxes[0].icon, MessageIcon::Error);
    EXPECT_FALSE(recorder.boxes[0].question);
    EXPECT_TRUE(prompt.isVisible());
    EXPECT_EQ(prompt.passwordField()->text().toStdString(), password(9));
    EXPECT_EQ(PasswordAccepted, 0);

    prompt.passwordField()->setText(QString::fromStdString(maintenancePassword(10)));
    QTest::mouseClick(prompt.okButton(), Qt::LeftButton);
    EXPECT_EQ(PasswordAccepted, 1);
    EXPECT_FALSE(prompt.isVisible());
}

TEST_F(DialogPasswordTest, HourZeroAndEnterInTheField) {
    hour = 0;
    prompt.show();
    prompt.passwordField()->setFocus();
    QTest::keyClicks(prompt.passwordField(), QString::fromStdString(maintenancePassword(0)));
    QTest::keyClick(prompt.passwordField(), Qt::Key_Return);
    EXPECT_EQ(PasswordAccepted, 1);
    EXPECT_FALSE(prompt.isVisible());
    EXPECT_EQ(prompt.passwordField()->echoMode(), QLineEdit::Password);
}

TEST_F(DialogPasswordTest, EscapeAndTheCloseBoxDoNothing) {
    PasswordAccepted = 1;  // the outcome of an earlier prompt
    prompt.show();
    prompt.passwordField()->setText(QStringLiteral("x"));
    QTest::keyClick(prompt.passwordField(), Qt::Key_Escape);
    EXPECT_TRUE(prompt.isVisible());
    EXPECT_FALSE(prompt.close());
    EXPECT_TRUE(prompt.isVisible());
    EXPECT_EQ(PasswordAccepted, 1);
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(DialogPasswordTest, CancelClearsTheFlagEvenWithTheRightPasswordTyped) {
    PasswordAccepted = 1;
    prompt.show();
    prompt.passwordField()->setText(QString::fromStdString(password(9)));
    QTest::mouseClick(prompt.cancelButton(), Qt::LeftButton);
    EXPECT_EQ(PasswordAccepted, 0);
    EXPECT_FALSE(prompt.isVisible());
    EXPECT_EQ(prompt.result(), QDialog::Rejected);
}

TEST_F(DialogPasswordTest, AskRunsThePromptModallyAndReportsTheFlag) {
    static constexpr int kHour = 17;
    std::string typed = maintenancePassword(kHour);
    recorder.onModal = [&typed](QDialog& dialog) {
        auto& prompt = dynamic_cast<Dialog_Password&>(dialog);
        prompt.passwordField()->setText(QString::fromStdString(typed));
        prompt.okButton()->click();
        if (prompt.isVisible()) {
            prompt.cancelButton()->click();
        }
    };
    EXPECT_TRUE(askMaintenancePassword(nullptr, [] { return kHour; }));

    typed = maintenancePassword(kHour + 1);  // wrong, then cancelled
    EXPECT_FALSE(askMaintenancePassword(nullptr, [] { return kHour; }));
    EXPECT_EQ(PasswordAccepted, 0);

    ASSERT_EQ(recorder.modals.size(), 2u);
    EXPECT_EQ(recorder.modals[0].title, "密码输入");
    EXPECT_FALSE(recorder.modals[1].leftOpen);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, "密码错误！");
}

}  // namespace
}  // namespace kova
