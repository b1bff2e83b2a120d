#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <functional>
#include <memory>

#include "controls/EditListCtrl.h"
#include "controls/InPlaceEdit.h"
#include "controls/logic/CellEditGeometry.h"

namespace {

// A page-like window holding one list with three columns and a focusable neighbour.
class CEditListCtrlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_ = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window_.get());
        list_ = new CEditListCtrl(window_.get());
        other_ = new QLineEdit(window_.get());
        layout->addWidget(list_);
        layout->addWidget(other_);
        list_->InsertColumn(0, "关键字", CEditListCtrl::FormatLeft, 80);
        list_->InsertColumn(1, "通道号", CEditListCtrl::FormatLeft, 100);
        list_->InsertColumn(2, "通道说明", CEditListCtrl::FormatLeft, 120);
        for (int r = 0; r < 20; ++r) {
            list_->InsertItem(r, "key" + std::to_string(r));
            list_->SetItemText(r, 1, "n" + std::to_string(r));
            list_->SetItemText(r, 2, "about" + std::to_string(r));
        }
        list_->SetExtendedStyle(CEditListCtrl::GridLines | CEditListCtrl::FullRowSelect);
        list_->SetEditLabels(true);
        list_->SetClickEditExcluded(0);
        list_->SetColumnNoEdit(0, true);
        window_->resize(400, 300);
        window_->show();
        window_->activateWindow();
        QApplication::processEvents();
        ASSERT_TRUE(window_->isActiveWindow());
    }

    void TearDown() override {
        window_.reset();
        QApplication::processEvents();
    }

    // Centre of a cell in viewport coordinates.
    QPoint cellCentre(int row, int column) const {
        return {list_->columnViewportPosition(column) + list_->columnWidth(column) / 2,
                list_->rowViewportPosition(row) + list_->rowHeight(row) / 2};
    }

    void click(QPoint at, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, modifiers, at);
        settle();
    }

    // Delivers posted events, closed editor windows' deletion included.
    static void settle() {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static CInPlaceEdit& editor() { return *CInPlaceEdit::GetInstance(); }

    // The list's own label editor (not the shared in-place editor) is showing.
    bool nativeEditorOpen() const {
        for (const QLineEdit* edit : list_->viewport()->findChildren<QLineEdit*>()) {
            if (edit->isVisible() && edit != editor().Window()) {
                return true;
            }
        }
        return false;
    }

    std::unique_ptr<QWidget> window_;
    CEditListCtrl* list_ = nullptr;
    QLineEdit* other_ = nullptr;
};

TEST_F(CEditListCtrlTest, ClickOnAColumnBorderEditsTheLeftColumn) {
    const int y = cellCentre(2, 1).y();
    int row = -1;
    int column = -1;
    ASSERT_TRUE(list_->HitTestCell({180, y}, row, column));
    EXPECT_EQ(row, 2);
    EXPECT_EQ(column, 1);
    ASSERT_TRUE(list_->HitTestCell({181, y}, row, column));
    EXPECT_EQ(column, 2);

    click({180, y});
    ASSERT_TRUE(editor().IsOpen());
    EXPECT_EQ(editor().Row(), 2);
    EXPECT_EQ(editor().Column(), 1);
    EXPECT_EQ(editor().Window()->text().toStdString(), "n2");
    EXPECT_EQ(editor().Window()->selectedText(), QString("n2"));
    EXPECT_TRUE(editor().Window()->hasFocus());
}

TEST_F(CEditListCtrlTest, ClickBelowTheLastRowChangesNothing) {
    list_->setRowCount(3);
    click(cellCentre(1, 0));
    ASSERT_EQ(list_->GetSelectionMark(), 1);
    click(cellCentre(1, 2));
    ASSERT_TRUE(editor().IsOpen());

    const QPoint below(40, list_->rowViewportPosition(2) + list_->rowHeight(2) + 20);
    int row = -1;
    int column = -1;
    EXPECT_FALSE(list_->HitTestCell(below, row, column));
    click(below);
    EXPECT_EQ(list_->GetSelectionMark(), 1);
    EXPECT_EQ(list_->GetFirstSelected(), 1);
    EXPECT_TRUE(editor().IsOpen());  // not even the focus moved

    // Right of the last column is no cell either.
    EXPECT_FALSE(list_->HitTestCell({305, cellCentre(0, 0).y()}, row, column));
}

TEST_F(CEditListCtrlTest, ExcludedColumnSelectsWithoutEditing) {
    click(cellCentre(4, 0));
    EXPECT_EQ(list_->GetSelectionMark(), 4);
    EXPECT_EQ(list_->GetFirstSelected(), 4);
    EXPECT_FALSE(editor().IsOpen());
    EXPECT_TRUE(list_->hasFocus());

    // F2, the list's own editing of the first column, is refused while column 0 is blocked.
    QTest::keyClick(list_, Qt::Key_F2);
    EXPECT_FALSE(nativeEditorOpen());
    list_->SetColumnNoEdit(0, false);
    QTest::keyClick(list_, Qt::Key_F2);
    EXPECT_TRUE(nativeEditorOpen());
}

TEST_F(CEditListCtrlTest, EscapeRestoresEnterAndFocusLossKeep) {
    struct Case {
        const char* how;
        std::string expected;
    };
    const Case cases[] = {{"escape", "n3"}, {"enter", "typed"}, {"focus", "typed"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        list_->SetItemText(3, 1, "n3");
        click(cellCentre(3, 1));
        ASSERT_TRUE(editor().IsOpen());
        QLineEdit* window = editor().Window();
        QTest::keyClicks(window, "typed");
        const std::string how = c.how;
        if (how == "escape") {
            QTest::keyClick(window, Qt::Key_Escape);
            EXPECT_TRUE(list_->hasFocus());
        } else if (how == "enter") {
            QTest::keyClick(window, Qt::Key_Return);
            EXPECT_TRUE(list_->hasFocus());
        } else {
            other_->setFocus(Qt::MouseFocusReason);
        }
        settle();
        EXPECT_FALSE(editor().IsOpen());
        EXPECT_EQ(list_->GetItemText(3, 1), c.expected);
    }
}

TEST_F(CEditListCtrlTest, ClickingAnotherCellKeepsTheFirstEditAndOpensTheNext) {
    click(cellCentre(0, 1));
    QTest::keyClicks(editor().Window(), "X");
    click(cellCentre(1, 2));
    EXPECT_EQ(list_->GetItemText(0, 1), "X");
    ASSERT_TRUE(editor().IsOpen());
    EXPECT_EQ(editor().Row(), 1);
    EXPECT_EQ(editor().Column(), 2);
}

TEST_F(CEditListCtrlTest, OpeningAnotherCellWithoutAClickEndsTheOpenEdit) {
    list_->SelectItem(0);
    list_->EditSubLabel(0, 1);
    QTest::keyClicks(editor().Window(), "first");
    list_->SelectItem(4);
    list_->EditSubLabel(4, 2);
    settle();
    EXPECT_EQ(list_->GetItemText(0, 1), "first");
    EXPECT_EQ(list_->GetItemText(4, 2), "about4");
    ASSERT_TRUE(editor().IsOpen());
    EXPECT_EQ(editor().Window()->geometry().top(), list_->rowViewportPosition(4));
    EXPECT_EQ(editor().Window()->text(), QString("about4"));
}

TEST_F(CEditListCtrlTest, ScrollingEndsTheEditAndKeepsTheText) {
    for (QScrollBar* bar : {list_->verticalScrollBar(), list_->horizontalScrollBar()}) {
        list_->setColumnWidth(2, 400);  // wide enough for a horizontal scroll bar
        QApplication::processEvents();
        ASSERT_GT(bar->maximum(), 0);
        bar->setValue(0);
        click(cellCentre(0, 1));
        ASSERT_TRUE(editor().IsOpen());
        QTest::keyClicks(editor().Window(), "-scrolled");
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QApplication::processEvents();
        EXPECT_FALSE(editor().IsOpen());
        EXPECT_EQ(list_->GetItemText(0, 1), "-scrolled");  // typing replaced the selected text
        list_->SetItemText(0, 1, "n0");
    }
}

TEST_F(CEditListCtrlTest, PartlyHiddenCellIsScrolledIntoViewAndCoveredExactly) {
    window_->resize(260, 300);
    QApplication::processEvents();
    const int clientRight = list_->viewport()->width();
    ASSERT_LT(clientRight, 300);  // column 2 reaches past the right edge
    ASSERT_GT(clientRight, 181);

    click({clientRight - 5, cellCentre(5, 2).y()});
    ASSERT_TRUE(editor().IsOpen());
    EXPECT_EQ(list_->horizontalScrollBar()->value(), 300 - clientRight);
    const QRect cell(list_->columnViewportPosition(2), list_->rowViewportPosition(5),
                     list_->columnWidth(2), list_->rowHeight(5));
    EXPECT_EQ(editor().Window()->geometry(), cell);
    EXPECT_EQ(cell.left() + cell.width(), clientRight);
}

TEST_F(CEditListCtrlTest, CellScrolledAwayToTheLeftComesBackAtTheLeftEdge) {
    window_->resize(200, 300);
    QApplication::processEvents();
    list_->horizontalScrollBar()->setValue(120);
    ASSERT_LT(list_->columnViewportPosition(1), 0);
    list_->SelectItem(6);
    list_->EditSubLabel(6, 1);
    ASSERT_TRUE(editor().IsOpen());
    EXPECT_EQ(list_->columnViewportPosition(1), 0);
    EXPECT_EQ(editor().Window()->geometry(),
              QRect(0, list_->rowViewportPosition(6), 100, list_->rowHeight(6)));
}

TEST_F(CEditListCtrlTest, ShiftOrCtrlClickOnlySelects) {
    click(cellCentre(1, 0));
    click(cellCentre(3, 1), Qt::ControlModifier);
    EXPECT_FALSE(editor().IsOpen());
    EXPECT_EQ(list_->selectionModel()->selectedRows().size(), 2);
    click(cellCentre(5, 2), Qt::ShiftModifier);
    EXPECT_FALSE(editor().IsOpen());
    EXPECT_FALSE(editor().IsOpen());
    const auto selected = list_->selectionModel();
    for (const int row : {3, 4, 5}) {
        EXPECT_TRUE(selected->isRowSelected(row, {})) << row;
    }
    EXPECT_FALSE(selected->isRowSelected(2, {}));
}

TEST_F(CEditListCtrlTest, ListWithoutEditLabelsNeverEdits) {
    list_->SetEditLabels(false);
    click(cellCentre(2, 1));
    EXPECT_EQ(list_->GetSelectionMark(), 2);
    EXPECT_FALSE(editor().IsOpen());
    QTest::keyClick(list_, Qt::Key_F2);
    EXPECT_FALSE(nativeEditorOpen());
}

TEST_F(CEditListCtrlTest, TypedCharactersAreFilteredByTheColumnsSet) {
    list_->SetColumnAllowedChars(1, "0123456789.");
    click(cellCentre(2, 1));
    QLineEdit* window = editor().Window();
    window->clear();
    QTest::keyClicks(window, "1a2.b5");
    EXPECT_EQ(window->text(), QString("12.5"));
    QTest::keyClick(window, Qt::Key_Backspace);
    EXPECT_EQ(window->text(), QString("12."));
    QTest::keyClick(window, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(list_->GetItemText(2, 1), "12.");

    click(cellCentre(2, 2));  // column 2 has no filter
    QTest::keyClicks(editor().Window(), "a-b");
    EXPECT_EQ(editor().Window()->text(), QString("a-b"));
}

TEST_F(CEditListCtrlTest, ReorderedHeaderEditsTheColumnUnderThePointer) {
    list_->SetExtendedStyle(CEditListCtrl::HeaderDragDrop | CEditListCtrl::FullRowSelect);
    list_->horizontalHeader()->moveSection(2, 0);  // display order: 2, 0, 1
    QApplication::processEvents();
    click({20, cellCentre(1, 0).y()});
    ASSERT_TRUE(editor().IsOpen());
    EXPECT_EQ(editor().Column(), 2);
    EXPECT_EQ(editor().Window()->geometry().left(), 0);
    EXPECT_EQ(editor().Window()->geometry().width(), 120);
}

TEST_F(CEditListCtrlTest, HoverSelectsTheRowUnderThePointerOnlyWithTrackSelect) {
    const auto hover = [&](int row) {
        const QPoint at = cellCentre(row, 2);
        QMouseEvent move(QEvent::MouseMove, at, list_->viewport()->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(list_->viewport(), &move);
    };
    list_->SelectItem(1);
    hover(4);
    EXPECT_EQ(list_->GetSelectionMark(), 1);
    list_->SetExtendedStyle(CEditListCtrl::FullRowSelect | CEditListCtrl::TrackSelect);
    hover(4);
    EXPECT_EQ(list_->GetSelectionMark(), 4);
    EXPECT_EQ(list_->GetFirstSelected(), 4);
    EXPECT_FALSE(editor().IsOpen());
}

TEST_F(CEditListCtrlTest, DestroyingTheListWithAnOpenEditLeavesNoEditor) {
    click(cellCentre(2, 1));
    ASSERT_TRUE(editor().IsOpen());
    const QPointer<QLineEdit> window = editor().Window();
    window_.reset();
    settle();
    EXPECT_TRUE(window.isNull());
    // The shared editor went with the list: the next one starts on no cell.
    EXPECT_EQ(editor().Row(), -1);
    EXPECT_FALSE(editor().IsOpen());
}

TEST_F(CEditListCtrlTest, OpenEditorStaysOverItsCellWhenTheListMovesIt) {
    list_->SetExtendedStyle(CEditListCtrl::HeaderDragDrop | CEditListCtrl::FullRowSelect);
    const QFont normal = list_->font();
    QFont bigger = normal;
    bigger.setPointSize(normal.pointSize() * 2);
    struct Case {
        const char* what;
        std::function<void()> change;
    };
    const Case cases[] = {
        {"column before it resized", [&] { list_->setColumnWidth(1, 60); }},
        {"its own column resized", [&] { list_->setColumnWidth(2, 90); }},
        {"column dragged", [&] { list_->horizontalHeader()->moveSection(2, 0); }},
        // Taller, the list scrolls back as far as its rows allow (the scroll carries the editor).
        {"list resized", [&] { window_->resize(400, 300); }},
        {"list font changed", [&] { list_->setFont(bigger); }},  // taller rows
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        list_->setFont(normal);
        list_->horizontalHeader()->moveSection(list_->horizontalHeader()->visualIndex(2), 2);
        list_->setColumnWidth(1, 100);
        list_->setColumnWidth(2, 120);
        window_->resize(400, 200);
        settle();
        list_->verticalScrollBar()->setValue(list_->verticalScrollBar()->maximum());
        settle();
        click(cellCentre(18, 2));
        ASSERT_TRUE(editor().IsOpen());
        const QRect before = editor().Window()->geometry();
        c.change();
        settle();
        ASSERT_TRUE(editor().IsOpen());
        EXPECT_NE(list_->CellRect(18, 2), before);  // the case did move the cell
        EXPECT_EQ(editor().Window()->geometry(), list_->CellRect(18, 2));
        list_->setFocus();
        settle();
    }
}

}  // namespace
