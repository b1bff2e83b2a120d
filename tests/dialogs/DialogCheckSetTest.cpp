#include "dialogs/Dialog_CheckSet.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <string>

#include "TestFiles.h"
#include "dialogs/logic/CheckSettings.h"
#include "platform/IniFile.h"
#include "platform/TextCodec.h"
#include "runtime/StartUp.h"

namespace kova {
namespace {

class DialogCheckSetTest : public ::testing::Test {
  protected:
    void SetUp() override { rt.CalibIniPath = (dir / "Calib.ini").string(); }

    std::string stored(const char* key) const {
        return IniFile(rt.CalibIniPath).readString("CHECKPARAM", key, "<missing>", 500);
    }

    test::TempDir dir;
    Runtime rt;
};

TEST_F(DialogCheckSetTest, TheBoxesOfferTheirEntriesInOrder) {
    Dialog_CheckSet dialog(nullptr, rt);
    struct Case {
        QComboBox* box;
        int count;
        const char* first;
        const char* second;
        const char* last;
    };
    for (const Case& c :
         {Case{dialog.averNumBox(), 80, "1", "2", "80"},
          Case{dialog.hdNumBox(), 11, "0", "1", "10"}, Case{dialog.msBox(), 40, "10", "20", "400"},
          Case{dialog.firNumBox(), 10, "0.1", "0.2", "1.0"}}) {
        SCOPED_TRACE(c.box->objectName().toStdString());
        ASSERT_EQ(c.box->count(), c.count);
        EXPECT_EQ(c.box->itemText(0).toStdString(), c.first);
        EXPECT_EQ(c.box->itemText(1).toStdString(), c.second);
        EXPECT_EQ(c.box->itemText(c.count - 1).toStdString(), c.last);
    }
    EXPECT_FALSE(dialog.averNumBox()->isEditable());
    EXPECT_TRUE(dialog.firNumBox()->isEditable());
}

TEST_F(DialogCheckSetTest, EachListOpensOnTheEntryOfExactlyItsValue) {
    struct Case {
        int ms, avernum, hdnum;
        const char *msText, *averText, *hdText;
    };
    const Case cases[] = {
        {10, 1, 0, "10", "1", "0"},  // not "100", not "10"
        {100, 10, 10, "100", "10", "10"}, {400, 80, 5, "400", "80", "5"},
        {15, 100, 11, "", "", ""},  // no entry: no selection
        {0, 0, -1, "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ms);
        rt.MS = c.ms;
        rt.AVERNUM = c.avernum;
        rt.HDNUM = c.hdnum;
        Dialog_CheckSet dialog(nullptr, rt);
        EXPECT_EQ(dialog.msBox()->currentText().toStdString(), c.msText);
        EXPECT_EQ(dialog.averNumBox()->currentText().toStdString(), c.averText);
        EXPECT_EQ(dialog.hdNumBox()->currentText().toStdString(), c.hdText);
        EXPECT_EQ(dialog.msBox()->currentIndex() == -1, std::string(c.msText).empty());
    }
}

TEST_F(DialogCheckSetTest, TheFilterBoxShowsTheStoredTextNotTheValueInMemory) {
    rt.FIRNUM = 0.99f;
    {
        Dialog_CheckSet dialog(nullptr, rt);
        EXPECT_EQ(dialog.firNumBox()->currentText().toStdString(), "0.7");  // no file yet
    }
    test::writeBytes(rt.CalibIniPath, "[CHECKPARAM]\r\nFIRNUM=1.0 (max)\r\n");
    Dialog_CheckSet dialog(nullptr, rt);
    EXPECT_EQ(dialog.firNumBox()->currentText().toStdString(), "1.0 (max)");
}

TEST_F(DialogCheckSetTest, SetStoresTheShownTextsInOrderAndTakesTheirNumbers) {
    rt.MS = 10;
    rt.AVERNUM = 100;  // set in the file by hand: no entry, so an empty text is stored
    rt.HDNUM = 3;
    Dialog_CheckSet dialog(nullptr, rt);
    dialog.msBox()->setCurrentIndex(dialog.msBox()->findText("250"));
    dialog.show();
    QTest::mouseClick(dialog.setButton(), Qt::LeftButton);

    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(rt.MS, 250);
    EXPECT_EQ(rt.AVERNUM, 0);
    EXPECT_EQ(rt.HDNUM, 3);
    EXPECT_FLOAT_EQ(rt.FIRNUM, 0.7f);
    EXPECT_EQ(stored("MS"), "250");
    EXPECT_EQ(stored("AVERNUM"), "");
    EXPECT_EQ(stored("HDNUM"), "3");
    EXPECT_EQ(stored("FIRNUM"), "0.7");
    const std::string bytes = test::readBytes(rt.CalibIniPath);
    const auto at = [&bytes](const char* key) { return bytes.find(key); };
    EXPECT_LT(at("MS="), at("AVERNUM="));
    EXPECT_LT(at("AVERNUM="), at("HDNUM="));
    EXPECT_LT(at("HDNUM="), at("FIRNUM="));
}

TEST_F(DialogCheckSetTest, TheFilterCoefficientIsHeldBelowOneInMemoryOnly) {
    struct Case {
        const char* typed;  // nullptr: choose the entry "1.0"
        float inMemory;
        const char* inFile;
    };
    const Case cases[] = {
        {nullptr, 0.99f, "1.0"},     {"0.85", 0.85f, "0.85"}, {"0.99", 0.99f, "0.99"},
        {"2.5e0x", 0.99f, "2.5e0x"}, {"abc", 0.0f, "abc"},    {"", 0.0f, ""},
        {"-0.3", -0.3f, "-0.3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.inFile);
        Dialog_CheckSet dialog(nullptr, rt);
        if (c.typed == nullptr) {
            dialog.firNumBox()->setCurrentIndex(dialog.firNumBox()->findText("1.0"));
        } else {
            dialog.firNumBox()->setEditText(QString::fromUtf8(c.typed));
        }
        dialog.OnSet();
        EXPECT_FLOAT_EQ(rt.FIRNUM, c.inMemory);
        EXPECT_EQ(stored("FIRNUM"), c.inFile);
        EXPECT_EQ(dialog.firNumBox()->count(), 10);  // a typed value never joins the list
    }
}

TEST_F(DialogCheckSetTest, TheNextStartReadsTheStoredFilterTextUnheld) {
    Dialog_CheckSet dialog(nullptr, rt);
    dialog.firNumBox()->setCurrentIndex(dialog.firNumBox()->findText("1.0"));
    dialog.OnSet();
    ASSERT_FLOAT_EQ(rt.FIRNUM, 0.99f);
    Runtime next;
    next.CalibIniPath = rt.CalibIniPath;
    readRuntimeParameters(next);
    EXPECT_FLOAT_EQ(next.FIRNUM, 1.0f);
}

TEST_F(DialogCheckSetTest, LeavingAnyOtherWayChangesNothing) {
    test::writeBytes(rt.CalibIniPath, "[CHECKPARAM]\r\nMS=20\r\n");
    rt.MS = 20;
    const std::string before = test::readBytes(rt.CalibIniPath);
    const std::function<void(Dialog_CheckSet&)> ways[] = {
        [](Dialog_CheckSet& d) { QTest::mouseClick(d.exitButton(), Qt::LeftButton); },
        [](Dialog_CheckSet& d) { QTest::keyClick(d.msBox(), Qt::Key_Escape); },
        [](Dialog_CheckSet& d) { d.close(); },
        [](Dialog_CheckSet& d) {
            d.firNumBox()->lineEdit()->setFocus();
            QTest::keyClick(d.firNumBox()->lineEdit(), Qt::Key_Return);
        },
        [](Dialog_CheckSet& d) {
            d.msBox()->setFocus();
            QTest::keyClick(d.msBox(), Qt::Key_Enter);
        },
    };
    int way = 0;
    for (const auto& leave : ways) {
        SCOPED_TRACE(way++);
        Dialog_CheckSet dialog(nullptr, rt);
        dialog.msBox()->setCurrentIndex(dialog.msBox()->findText("300"));
        dialog.firNumBox()->setEditText(QStringLiteral("0.5"));
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        leave(dialog);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(rt.MS, 20);
        EXPECT_FLOAT_EQ(rt.FIRNUM, 0.7f);
        EXPECT_EQ(test::readBytes(rt.CalibIniPath), before);
    }
}

TEST_F(DialogCheckSetTest, EnterOnTheFocusedSetButtonApplies) {
    Dialog_CheckSet dialog(nullptr, rt);
    dialog.hdNumBox()->setCurrentIndex(dialog.hdNumBox()->findText("0"));
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    dialog.setButton()->setFocus();
    QTest::keyClick(dialog.setButton(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(rt.HDNUM, 0);
    EXPECT_EQ(stored("HDNUM"), "0");
}

}  // namespace
}  // namespace kova
