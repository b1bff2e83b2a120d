#include <gtest/gtest.h>

#include <QApplication>
#include <QTabBar>
#include <QTest>
#include <array>
#include <memory>

#include "controls/TabSheet.h"
#include "controls/logic/ControlLayout.h"

namespace {

class CTabSheetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (auto& page : pages_) {
            page = std::make_unique<QWidget>();
        }
        sheet_ = std::make_unique<CTabSheet>();
        sheet_->resize(600, 400);
    }

    std::array<std::unique_ptr<QWidget>, 11> pages_;  // owned by the caller, as the pages are
    std::unique_ptr<CTabSheet> sheet_;
};

TEST_F(CTabSheetTest, EleventhPageIsRefused) {
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(sheet_->AddPage("page " + std::to_string(i), pages_[i].get(), 131 + i));
    }
    EXPECT_FALSE(sheet_->AddPage("eleventh", pages_[10].get(), 200));
    EXPECT_EQ(sheet_->GetPageCount(), 10);
    EXPECT_EQ(sheet_->GetPage(9), pages_[9].get());
    EXPECT_EQ(sheet_->GetTemplateId(9), 140);
    sheet_->Show();
    EXPECT_EQ(sheet_->TabBar()->count(), 10);
    EXPECT_EQ(sheet_->TabBar()->tabText(9), QString("page 9"));
    EXPECT_EQ(pages_[10]->parentWidget(), nullptr);
}

TEST_F(CTabSheetTest, ShowPlacesEveryPageAndShowsTheFirst) {
    sheet_->AddPage(" 通 道 配 置 ", pages_[0].get(), 131);
    sheet_->AddPage(" 通 道 标 定 ", pages_[1].get(), 132);
    sheet_->show();
    sheet_->Show();
    QApplication::processEvents();

    const QRect tab = sheet_->TabBar()->tabRect(0).translated(sheet_->TabBar()->pos());
    const int tabBottom = tab.top() + tab.height();
    const QRect expected(tab.left(), tabBottom + 1, 600 - tab.left() - 2, 400 - tabBottom - 3);
    EXPECT_EQ(sheet_->PageRect(), expected);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(pages_[i]->parentWidget(), sheet_.get());
        EXPECT_EQ(pages_[i]->geometry(), expected);
    }
    EXPECT_TRUE(pages_[0]->isVisible());
    EXPECT_FALSE(pages_[1]->isVisible());
    EXPECT_EQ(sheet_->GetCurSel(), 0);

    sheet_->resize(700, 500);  // pages follow the sheet
    EXPECT_EQ(pages_[1]->geometry().size(), QSize(700 - tab.left() - 2, 500 - tabBottom - 3));
}

TEST_F(CTabSheetTest, SetCurSelIgnoresTheCurrentAndOutOfRangeIndexes) {
    for (int i = 0; i < 3; ++i) {
        sheet_->AddPage("p", pages_[i].get(), 0);
    }
    sheet_->show();
    sheet_->Show();
    for (const int index : {0, -1, 3, 10}) {
        sheet_->SetCurSel(index);
        EXPECT_EQ(sheet_->GetCurSel(), 0) << index;
        EXPECT_TRUE(pages_[0]->isVisible()) << index;
    }
    sheet_->SetCurSel(2);
    EXPECT_EQ(sheet_->GetCurSel(), 2);
    EXPECT_EQ(sheet_->TabBar()->currentIndex(), 2);
    EXPECT_FALSE(pages_[0]->isVisible());
    EXPECT_TRUE(pages_[2]->isVisible());
}

TEST_F(CTabSheetTest, ClickOnATabShowsItsPage) {
    sheet_->AddPage("first", pages_[0].get(), 0);
    sheet_->AddPage("second", pages_[1].get(), 0);
    sheet_->show();
    sheet_->Show();
    QApplication::processEvents();
    QTabBar* bar = sheet_->TabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(sheet_->GetCurSel(), 1);
    EXPECT_TRUE(pages_[1]->isVisible());
    EXPECT_FALSE(pages_[0]->isVisible());
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    EXPECT_EQ(sheet_->GetCurSel(), 0);
    EXPECT_TRUE(pages_[0]->isVisible());
}

TEST_F(CTabSheetTest, PagesOutliveTheSheet) {
    sheet_->AddPage("first", pages_[0].get(), 0);
    sheet_->Show();
    sheet_.reset();
    EXPECT_EQ(pages_[0]->parentWidget(), nullptr);  // still the caller's, not deleted
}

TEST_F(CTabSheetTest, PagesSitBelowTheFirstTab) {
    const kova::ControlRect page = kova::tabPageRect({0, 0, 700, 500}, {2, 2, 90, 24});
    EXPECT_EQ(page, (kova::ControlRect{2, 25, 2 + (700 - 2 - 2), 25 + (500 - 24 - 3)}));
}

}  // namespace
