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

TEST_F(CMoveControlTest, KindFromWindowClassIgnoresCase) {
    EXPECT_EQ(kova::controlKindOf("Static"), ControlKind::Static);
    EXPECT_EQ(kova::controlKindOf("EDIT"), ControlKind::Edit);
    EXPECT_EQ(kova::controlKindOf("button"), ControlKind::Button);
    EXPECT_EQ(kova::controlKindOf("combobox"), ControlKind::ComboBox);
    EXPECT_EQ(kova::controlKindOf("SysListView32"), ControlKind::ListView);
    EXPECT_EQ(kova::controlKindOf("sysipaddress32"), ControlKind::IpAddress);
    EXPECT_EQ(kova::controlKindOf("SysTabControl32"), ControlKind::Other);
    EXPECT_EQ(kova::controlKindOf(""), ControlKind::Other);
}

TEST_F(CMoveControlTest, ManySmallResizesDoNotDrift) {
    for (const int edge : {0, 37, 100, 251, 399}) {
        SCOPED_TRACE(edge);
        float carry = 0;
        int scaled = edge;
        for (int width = 400; width < 500; ++width) {  // one pixel wider at a time
            scaled = kova::scaleEdge(scaled, (width + 1.0) / width, carry);
        }
        EXPECT_NEAR(scaled, edge * 500.0 / 400.0, 1.0);
        for (int width = 500; width > 400; --width) {  // and back
            scaled = kova::scaleEdge(scaled, (width - 1.0) / width, carry);
        }
        EXPECT_NEAR(scaled, edge, 1.0);
        EXPECT_LE(std::fabs(carry), 1.0F);
    }
}

TEST_F(CMoveControlTest, CarryMovesWholePixelsOnceItExceedsOne) {
    float carry = 0.9F;
    EXPECT_EQ(kova::scaleEdge(10, 1.05, carry), 11);  // 10.5: carry 1.4 gives one pixel
    EXPECT_NEAR(carry, 0.4F, 1e-5);
    carry = -0.8F;
    EXPECT_EQ(kova::scaleEdge(10, 0.97, carry), 9);  // 9.7: carry -0.1 stays
    EXPECT_NEAR(carry, -0.1F, 1e-5);
    carry = 0.5F;
    EXPECT_EQ(kova::scaleEdge(10, 1.05, carry), 10);  // carry exactly 1.0 does not exceed 1
    EXPECT_NEAR(carry, 1.0F, 1e-5);
}

TEST_F(CMoveControlTest, HeightRulesByKind) {
    struct Case {
        const char* what;
        ControlRect old;
        ControlKind kind;
        int textHeight;
        int drop;
        ControlRect expected;
    };
    const Case cases[] = {
        {"edit keeps its height", {10, 40, 110, 60}, ControlKind::Edit, 16, 0, {20, 80, 220, 100}},
        {"static of 49 keeps it", {0, 10, 50, 59}, ControlKind::Static, 16, 0, {0, 20, 100, 69}},
        {"button of 50 scales", {0, 10, 50, 60}, ControlKind::Button, 16, 0, {0, 20, 100, 120}},
        {"list view scales", {5, 5, 105, 25}, ControlKind::ListView, 16, 0, {10, 10, 210, 50}},
        {"other scales", {5, 5, 105, 25}, ControlKind::Other, 16, 0, {10, 10, 210, 50}},
        {"short static grows to text",
         {0, 10, 50, 18},
         ControlKind::Static,
         16,
         0,
         {0, 20, 100, 38}},
        {"zero height at the top stays", {0, 0, 50, 0}, ControlKind::Static, 16, 0, {0, 0, 100, 0}},
        {"zero height lower grows", {0, 4, 50, 4}, ControlKind::Static, 16, 0, {0, 8, 100, 26}},
        {"combo box adds its list",
         {0, 10, 80, 30},
         ControlKind::ComboBox,
         16,
         105,
         {0, 20, 160, 165}},
    };
    for (const Case& c : cases) {
        kova::LayoutCarry carry;
        EXPECT_EQ(kova::layoutControl(c.old, c.kind, 2.0, 2.0, carry, 3, c.textHeight, c.drop),
                  c.expected)
            << c.what;
    }
}

TEST_F(CMoveControlTest, DropDownSizeFromItems) {
    EXPECT_EQ(kova::comboDropDownWidth({40, 90, 60}, 7, 17, 2), 90 + 7 + 17 + 4);
    EXPECT_EQ(kova::comboDropDownWidth({}, 7, 17, 2), 17 + 4);
    EXPECT_EQ(kova::comboDropDownHeight(3, 12), 3 * 17);
    EXPECT_EQ(kova::comboDropDownHeight(10, 12), 10 * 17);
    EXPECT_EQ(kova::comboDropDownHeight(25, 12), 10 * 17);
    EXPECT_EQ(kova::comboDropDownHeight(0, 12), 0);
}

}  // namespace
