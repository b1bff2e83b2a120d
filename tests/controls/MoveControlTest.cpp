#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <memory>

#include "controls/EditListCtrl.h"
#include "controls/MoveControl.h"
#include "controls/logic/ControlLayout.h"

namespace {

using kova::ControlKind;
using kova::ControlRect;

DialogFontSettings tenPointSettings() {
    DialogFontSettings settings;
    settings.pointSize = 100;
    settings.faceName = "DejaVu Sans";
    return settings;
}

class CMoveControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_ = std::make_unique<QWidget>();
        window_->resize(400, 300);
        label_ = new QLabel("label", window_.get());
        label_->setGeometry(100, 50, 80, 20);
        edit_ = new QLineEdit(window_.get());
        edit_->setGeometry(10, 20, 120, 24);
        list_ = new CEditListCtrl(window_.get());
        list_->setGeometry(10, 100, 300, 150);
        button_ = new QPushButton("OK", window_.get());
        button_->setGeometry(320, 260, 60, 30);
        mover_.Attach(window_.get());
    }

    // Resizes the window and lays it out, as the owner's size handling does.
    bool resizeTo(int w, int h) {
        window_->resize(w, h);
        return mover_.Layout();
    }

    CMoveControl mover_{tenPointSettings()};
    std::unique_ptr<QWidget> window_;
    QLabel* label_ = nullptr;
    QLineEdit* edit_ = nullptr;
    CEditListCtrl* list_ = nullptr;
    QPushButton* button_ = nullptr;
};

TEST_F(CMoveControlTest, ManySmallResizesDoNotLetControlsDrift) {
    for (int step = 1; step <= 100; ++step) {
        ASSERT_TRUE(resizeTo(400 + step, 300 + step));
    }
    EXPECT_NEAR(label_->x(), 100 * 500 / 400.0, 1);
    EXPECT_NEAR(label_->y(), 50 * 400 / 300.0, 1);
    EXPECT_NEAR(label_->x() + label_->width(), 180 * 500 / 400.0, 1);
    EXPECT_NEAR(list_->y() + list_->height(), 250 * 400 / 300.0, 1);
    EXPECT_NEAR(button_->x(), 320 * 500 / 400.0, 1);
    EXPECT_EQ(mover_.ReferenceSize(), QSize(500, 400));
    EXPECT_TRUE(mover_.IsDone());
}

TEST_F(CMoveControlTest, SingleLineEditKeepsItsHeightWhileAListGrows) {
    ASSERT_GE(edit_->height(), QFontMetrics(mover_.DialogFont().value_or(QFont())).height());
    ASSERT_TRUE(resizeTo(400, 600));
    EXPECT_EQ(edit_->geometry(), QRect(10, 40, 120, 24));
    EXPECT_EQ(list_->geometry(), QRect(10, 200, 300, 300));
    EXPECT_EQ(button_->geometry(), QRect(320, 520, 60, 30));
}

TEST_F(CMoveControlTest, ZeroSizeLeavesControlsAndKeepsTheReference) {
    const QRect label = label_->geometry();
    const QRect list = list_->geometry();
    EXPECT_FALSE(resizeTo(0, 300));
    EXPECT_FALSE(resizeTo(400, 0));
    EXPECT_EQ(label_->geometry(), label);
    EXPECT_EQ(list_->geometry(), list);
    EXPECT_EQ(mover_.ReferenceSize(), QSize(400, 300));

    // The next normal size scales against the last good reference.
    ASSERT_TRUE(resizeTo(800, 600));
    EXPECT_EQ(label_->geometry().topLeft(), QPoint(200, 100));
    EXPECT_EQ(list_->geometry(), QRect(20, 200, 600, 300));
}

TEST_F(CMoveControlTest, HiddenControlsAreSkippedAndTakeNoCarrySlot) {
    label_->hide();
    const QRect hidden = label_->geometry();
    ASSERT_TRUE(resizeTo(600, 450));
    EXPECT_EQ(label_->geometry(), hidden);
    EXPECT_EQ(list_->geometry(), QRect(15, 150, 450, 225));
}

TEST_F(CMoveControlTest, EveryControlGetsTheDialogFontFromTheSettings) {
    DialogFontSettings settings;
    settings.pointSize = 120;
    settings.faceName = "DejaVu Serif";
    CMoveControl mover(settings);
    mover.Attach(window_.get());
    EXPECT_FALSE(mover.DialogFont().has_value());
    ASSERT_TRUE(mover.Layout());
    ASSERT_TRUE(mover.DialogFont().has_value());
    for (QWidget* control : {static_cast<QWidget*>(label_), static_cast<QWidget*>(edit_),
                             static_cast<QWidget*>(list_), static_cast<QWidget*>(button_)}) {
        EXPECT_EQ(control->font().family(), QString("DejaVu Serif"));
        EXPECT_DOUBLE_EQ(control->font().pointSizeF(), 12.0);
    }
}

TEST_F(CMoveControlTest, ShortTextControlGrowsToTheFontsHeight) {
    label_->setGeometry(100, 50, 80, 6);
    ASSERT_TRUE(resizeTo(400, 300));
    EXPECT_EQ(label_->height(), QFontMetrics(label_->font()).height() + 2);
    EXPECT_GT(label_->height(), 6);
}

TEST_F(CMoveControlTest, TooManyControlsMoveNothing) {
    for (int i = 0; i < 500; ++i) {
        (new QLabel(window_.get()))->setGeometry(i % 40, i % 30, 5, 5);
    }
    const QRect list = list_->geometry();
    EXPECT_FALSE(resizeTo(800, 600));
    EXPECT_EQ(list_->geometry(), list);
    EXPECT_EQ(mover_.ReferenceSize(), QSize(400, 300));
}

TEST_F(CMoveControlTest, ComboBoxKeepsItsFieldAndItsListFitsTheItems) {
    auto* combo = new QComboBox(window_.get());
    combo->setGeometry(150, 10, 100, 24);
    for (int i = 0; i < 12; ++i) {
        combo->addItem(QString("device %1").arg(i));
    }
    combo->addItem("a much longer device name than the box");
    ASSERT_TRUE(resizeTo(800, 600));
    EXPECT_EQ(combo->geometry(), QRect(300, 20, 200, 24));

    const QFontMetrics metrics(combo->font());
    EXPECT_EQ(mover_.FitComboDropDown(combo), 10 * (metrics.height() + 5));
    EXPECT_GT(combo->view()->minimumWidth(),
              metrics.horizontalAdvance("a much longer device name than the box"));
    combo->clear();
    combo->addItem("one");
    combo->addItem("two");
    EXPECT_EQ(mover_.FitComboDropDown(combo), 2 * (metrics.height() + 5));
}

TEST_F(CMoveControlTest, WindowClassNamesOfQtControls) {
    QWidget parent;
    EXPECT_STREQ(kova::windowClassNameOf(new QLabel(&parent)), "Static");
    EXPECT_STREQ(kova::windowClassNameOf(new QLineEdit(&parent)), "Edit");
    EXPECT_STREQ(kova::windowClassNameOf(new QPushButton(&parent)), "Button");
    EXPECT_STREQ(kova::windowClassNameOf(new QComboBox(&parent)), "ComboBox");
    EXPECT_STREQ(kova::windowClassNameOf(new CEditListCtrl(&parent)), "SysListView32");
    EXPECT_EQ(kova::controlKindOf(kova::windowClassNameOf(new QWidget(&parent))),
              kova::ControlKind::Other);
}

}  // namespace
