#pragma once
// A configuration page on its own: GBK station directory and Calib.ini in a temporary directory, a
// recorder in place of the message boxes, and a page area the test sets.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "DialogsRecorder.h"
#include "LabelClashes.h"
#include "TestFiles.h"
#include "controls/EditListCtrl.h"
#include "controls/InPlaceEdit.h"
#include "pages/Dialog_Tdset.h"
#include "platform/IniFile.h"
#include "runtime/Runtime.h"

namespace kova {

using Rows = std::vector<std::vector<std::string>>;

inline constexpr const char* kTwoStations =
    "[ALLSTATION]\r\n1工位=0\r\n2工位=1\r\n5工位=1\r\n"
    "[2工位]\r\nDevOrder=3,1,\r\n"
    "[5工位]\r\nDevOrder=7,\r\n";
inline constexpr const char* kOneStation =
    "[ALLSTATION]\r\n2工位=1\r\n[2工位]\r\nDevOrder=3,1,\r\n";
inline constexpr const char* kDevIds =
    "[DEVID]\r\ndevid3=制动台\r\ndevid1=侧滑台\r\ndevid7=灯光仪\r\n";
inline constexpr const char* kChannels =
    "[制动台]\r\n"
    "AllTD_A=左制动,右制动,\r\n"
    "左制动=3\r\n左制动[About]=左轮制动力\r\n左制动[JingDu]=2\r\n左制动[FuHao]=1\r\n"
    "左制动[DanWei]=daN\r\n左制动[DiData]=-5\r\n左制动[GaoData]=5\r\n"
    "左制动[Di0Data]=-1\r\n左制动[Gao0Data]=1\r\n"
    "右制动=4\r\n右制动[About]=右轮制动力\r\n"
    "AllTD_Dout=电机,\r\n电机=5\r\n电机[About]=主电机\r\n"
    "AllTD_Din=到位,举升,\r\n到位=1\r\n到位[About]=到位开关\r\n举升=2\r\n"
    "[侧滑台]\r\nAllTD_A=侧滑,\r\n侧滑=7\r\n";

inline Rows rowsOf(const CEditListCtrl& list) {
    Rows rows;
    rows.reserve(static_cast<std::size_t>(list.GetItemCount()));
    for (int row = 0; row < list.GetItemCount(); ++row) {
        std::vector<std::string> cells;
        cells.reserve(static_cast<std::size_t>(list.columnCount()));
        for (int column = 0; column < list.columnCount(); ++column) {
            cells.push_back(list.GetItemText(row, column));
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

inline std::vector<std::string> itemsOf(const QComboBox& box) {
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(box.count()));
    for (int i = 0; i < box.count(); ++i) {
        items.push_back(box.itemText(i).toStdString());
    }
    return items;
}

class DialogTdsetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::writeGbk(paths.devIdIni, kDevIds);
        test::writeGbk(paths.calibIni, kChannels);
    }

    void TearDown() override {
        page.reset();
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    Dialog_Tdset& open(const char* stations, QWidget* parent = nullptr) {
        test::writeGbk(paths.sysIni, stations);
        page = std::make_unique<Dialog_Tdset>(
            ChannelStore(paths), [this] { return pageArea; }, parent);
        return *page;
    }

    // Picks an entry the way the technician does: the box reports the user's choice.
    static void pick(QComboBox& box, const std::string& text) {
        const int index = box.findText(QString::fromStdString(text));
        ASSERT_GE(index, 0) << text;
        box.setCurrentIndex(index);
        emit box.activated(index);
    }

    static void type(QLineEdit& box, const std::string& text) {
        box.setText(QString::fromStdString(text));
    }

    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (const RecordedBox& box : recorder.boxes) {
            texts.push_back(box.text);
        }
        return texts;
    }

    test::TempDir dir;
    ChannelIniPaths paths{dir.file("Calib.ini"), dir.file("sysKOVA.ini"), dir.file("DevID.ini")};
    DialogsRecorder recorder;
    ScopedDialogs scopedDialogs{recorder};
    QRect pageArea;
    std::unique_ptr<Dialog_Tdset> page;
};

}  // namespace kova
