// The list's "delete the selected row after asking", as the pages bind it to a double click.

#include <gtest/gtest.h>

#include <QApplication>
#include <QItemSelectionModel>
#include <QTest>
#include <string>

#include "DialogsRecorder.h"
#include "controls/EditListCtrl.h"

namespace {

TEST(CEditListDeleteTest, DoubleClickAnywhereDeletesTheSelectedRowOnlyAfterAYes) {
    kova::DialogsRecorder recorder;
    const kova::ScopedDialogs scoped(recorder);
    CEditListCtrl list;
    list.InsertColumn(0, "关键字");
    for (int r = 0; r < 3; ++r) {
        list.InsertItem(r, "key" + std::to_string(r));
    }
    list.resize(300, 200);
    list.show();
    QApplication::processEvents();
    int doubleClicks = 0;
    QObject::connect(&list, &CEditListCtrl::areaDoubleClicked, [&] {
        ++doubleClicks;
        list.DeleteSelectedAfterAsking(&list);
    });
    const QPoint below(40, list.rowViewportPosition(2) + list.rowHeight(2) + 20);

    // No focused row: nothing is asked.
    list.selectionModel()->clearCurrentIndex();
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_TRUE(recorder.boxes.empty());

    list.SelectItem(1);
    recorder.answers = {false};
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(list.GetItemCount(), 3);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, kova::kDeleteRowQuestion);
    EXPECT_EQ(recorder.boxes[0].caption, kova::kConfirmCaption);

    recorder.answers = {true};
    EXPECT_TRUE(list.DeleteSelectedAfterAsking(&list, "删除？"));
    EXPECT_EQ(recorder.boxes.back().text, "删除？");
    ASSERT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(list.GetItemText(1, 0), "key2");
}

}  // namespace
