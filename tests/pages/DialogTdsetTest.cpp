#include "pages/Dialog_Tdset.h"

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

#include "GbkFiles.h"
#include "LabelClashes.h"
#include "controls/DialogsRecorder.h"
#include "controls/EditListCtrl.h"
#include "controls/InPlaceEdit.h"
#include "platform/IniFile.h"
#include "runtime/Runtime.h"

namespace kova {
namespace {

using testing::readBytes;
using testing::TempDir;
using testing::writeGbk;

using Rows = std::vector<std::vector<std::string>>;

constexpr const char* kTwoStations =
    "[ALLSTATION]\r\n1工位=0\r\n2工位=1\r\n5工位=1\r\n"
    "[2工位]\r\nDevOrder=3,1,\r\n"
    "[5工位]\r\nDevOrder=7,\r\n";
constexpr const char* kOneStation = "[ALLSTATION]\r\n2工位=1\r\n[2工位]\r\nDevOrder=3,1,\r\n";
constexpr const char* kDevIds = "[DEVID]\r\ndevid3=制动台\r\ndevid1=侧滑台\r\ndevid7=灯光仪\r\n";
constexpr const char* kChannels =
    "[制动台]\r\n"
    "AllTD_A=左制动,右制动,\r\n"
    "左制动=3\r\n左制动[About]=左轮制动力\r\n左制动[JingDu]=2\r\n左制动[FuHao]=1\r\n"
    "左制动[DanWei]=daN\r\n左制动[DiData]=-5\r\n左制动[GaoData]=5\r\n"
    "左制动[Di0Data]=-1\r\n左制动[Gao0Data]=1\r\n"
    "右制动=4\r\n右制动[About]=右轮制动力\r\n"
    "AllTD_Dout=电机,\r\n电机=5\r\n电机[About]=主电机\r\n"
    "AllTD_Din=到位,举升,\r\n到位=1\r\n到位[About]=到位开关\r\n举升=2\r\n"
    "[侧滑台]\r\nAllTD_A=侧滑,\r\n侧滑=7\r\n";

Rows rowsOf(const CEditListCtrl& list) {
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

std::vector<std::string> itemsOf(const QComboBox& box) {
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
        writeGbk(paths.devIdIni, kDevIds);
        writeGbk(paths.calibIni, kChannels);
    }

    void TearDown() override {
        page.reset();
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    Dialog_Tdset& open(const char* stations, QWidget* parent = nullptr) {
        writeGbk(paths.sysIni, stations);
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

    TempDir dir;
    ChannelIniPaths paths{dir.file("Calib.ini"), dir.file("sysKOVA.ini"), dir.file("DevID.ini")};
    DialogsRecorder recorder;
    ScopedDialogs scopedDialogs{recorder};
    QRect pageArea;
    std::unique_ptr<Dialog_Tdset> page;
};

TEST_F(DialogTdsetTest, OpensOnTheFirstStationWithItsDevicesButNoDevice) {
    struct Case {
        const char* sysIni;
        std::vector<std::string> stations;
        bool boxEnabled;
        std::vector<std::string> devices;
        std::vector<std::string> messages;
    };
    const std::vector<std::string> none;
    const Case cases[] = {
        // Devices sorted by text (侧 before 制), not in "DevOrder" order.
        {kTwoStations, {"2工位", "5工位"}, true, {"侧滑台", "制动台"}, none},
        {kOneStation, {"2工位"}, false, {"侧滑台", "制动台"}, none},
        {"[ALLSTATION]\r\n3工位=0\r\n10工位=1\r\n",
         none,
         true,
         none,
         {"没有配置工位信息，请先在“工位管理器”中配置该机的工位信息！"}},
    };
    for (const Case& c : cases) {
        recorder.boxes.clear();
        Dialog_Tdset& p = open(c.sysIni);
        EXPECT_EQ(itemsOf(*p.stationBox()), c.stations) << c.sysIni;
        EXPECT_EQ(p.stationBox()->currentIndex(), c.stations.empty() ? -1 : 0) << c.sysIni;
        EXPECT_EQ(p.stationBox()->isEnabled(), c.boxEnabled) << c.sysIni;
        EXPECT_EQ(itemsOf(*p.deviceBox()), c.devices) << c.sysIni;
        EXPECT_EQ(p.deviceBox()->currentIndex(), -1) << c.sysIni;  // no device, no channels
        EXPECT_EQ(p.analogList()->GetItemCount() + p.inputList()->GetItemCount() +
                      p.outputList()->GetItemCount(),
                  0);
        EXPECT_EQ(messages(), c.messages) << c.sysIni;
        EXPECT_TRUE(p.placeTimer()->isActive());
        EXPECT_EQ(p.placeTimer()->interval(), 50);
    }
    // Without a station the page stays usable.
    type(*page->analogKeyword(), "压力");
    page->OnAddAnalog();
    EXPECT_EQ(page->analogList()->GetItemCount(), 1);
}

TEST_F(DialogTdsetTest, ChoosingADeviceOrAStationReloadsTheLists) {
    Dialog_Tdset& p = open(kTwoStations);
    pick(*p.deviceBox(), "制动台");
    EXPECT_EQ(rowsOf(*p.analogList()),
              (Rows{{"左制动", "3", "左轮制动力", "2", "1", "daN", "-5", "5", "-1", "1"},
                    {"右制动", "4", "右轮制动力", "", "", "", "", "", "", ""}}));
    EXPECT_EQ(rowsOf(*p.inputList()), (Rows{{"到位", "1", "到位开关"}, {"举升", "2", ""}}));
    EXPECT_EQ(rowsOf(*p.outputList()), (Rows{{"电机", "5", "主电机"}}));

    pick(*p.deviceBox(), "侧滑台");
    EXPECT_EQ(rowsOf(*p.analogList()), (Rows{{"侧滑", "7", "", "", "", "", "", "", "", ""}}));
    EXPECT_EQ(p.inputList()->GetItemCount(), 0);
    EXPECT_EQ(p.outputList()->GetItemCount(), 0);

    // Another station: its devices, none chosen, and empty lists.
    pick(*p.deviceBox(), "制动台");
    pick(*p.stationBox(), "5工位");
    EXPECT_EQ(itemsOf(*p.deviceBox()), (std::vector<std::string>{"灯光仪"}));
    EXPECT_EQ(p.deviceBox()->currentIndex(), -1);
    EXPECT_EQ(p.analogList()->GetItemCount() + p.inputList()->GetItemCount() +
                  p.outputList()->GetItemCount(),
              0);
}

TEST_F(DialogTdsetTest, AddComparesKeywordsWithinOneListOnly) {
    Dialog_Tdset& p = open(kTwoStations);
    pick(*p.deviceBox(), "制动台");

    struct Case {
        QLineEdit* box;
        QPushButton* button;
        CEditListCtrl* list;
        const char* keyword;
        const char* message;  // nullptr: a row is added
    };
    const Case cases[] = {
        {p.analogKeyword(), p.addAnalogButton(), p.analogList(), "", "请填入通道项目关键字!"},
        {p.analogKeyword(), p.addAnalogButton(), p.analogList(), "左制动", "关键字重复！"},
        {p.inputKeyword(), p.addInputButton(), p.inputList(), "到位", "关键字重复！"},
        {p.outputKeyword(), p.addOutputButton(), p.outputList(), "电机", "关键字重复！"},
        // The analog keyword in the input list, an output keyword in the analog list.
        {p.inputKeyword(), p.addInputButton(), p.inputList(), "左制动", nullptr},
        {p.analogKeyword(), p.addAnalogButton(), p.analogList(), "电机", nullptr},
        {p.outputKeyword(), p.addOutputButton(), p.outputList(), "到位", nullptr},
        {p.outputKeyword(), p.addOutputButton(), p.outputList(), "m1", nullptr},
        {p.outputKeyword(), p.addOutputButton(), p.outputList(), "M1", nullptr},  // case counts
        {p.outputKeyword(), p.addOutputButton(), p.outputList(), "m1", "关键字重复！"},
        {p.analogKeyword(), p.addAnalogButton(), p.analogList(), "电机", "关键字重复！"},
        // A keyword the ini file cannot hold is refused with its reason.
        {p.outputKeyword(), p.addOutputButton(), p.outputList(), "a,b", "关键字不能含有逗号“,”！"},
        {p.inputKeyword(), p.addInputButton(), p.inputList(), "", "请填入通道项目关键字!"},
    };
    for (const Case& c : cases) {
        recorder.boxes.clear();
        const int before = c.list->GetItemCount();
        type(*c.box, c.keyword);
        QTest::mouseClick(c.button, Qt::LeftButton);
        if (c.message == nullptr) {
            EXPECT_TRUE(recorder.boxes.empty()) << c.keyword;
            ASSERT_EQ(c.list->GetItemCount(), before + 1) << c.keyword;
            const std::vector<std::string> added = rowsOf(*c.list).back();
            EXPECT_EQ(added.front(), c.keyword);
            for (std::size_t i = 1; i < added.size(); ++i) {
                EXPECT_EQ(added[i], "") << c.keyword << " column " << i;
            }
        } else {
            EXPECT_EQ(messages(), std::vector<std::string>{c.message}) << c.keyword;
            EXPECT_EQ(c.list->GetItemCount(), before) << c.keyword;
        }
        EXPECT_EQ(c.box->text().toStdString(), c.keyword);  // the box keeps its text
    }
}

TEST_F(DialogTdsetTest, SaveWritesTheListsAsShownAndReportsCompletion) {
    Dialog_Tdset& p = open(kTwoStations);
    pick(*p.deviceBox(), "制动台");
    p.analogList()->SetItemText(1, 3, "7");  // out of range: saved as "0", still shown as 7
    p.analogList()->SetItemText(1, 5, "kN");
    p.inputList()->SetItemText(1, 2, "举升到位");
    type(*p.analogKeyword(), "新");
    p.OnAddAnalog();  // no number: its channel section is "通道"
    p.analogList()->SetItemText(2, 2, "未接线");

    QTest::mouseClick(p.saveButton(), Qt::LeftButton);
    ASSERT_EQ(recorder.boxes.size(), 1U);
    EXPECT_EQ(recorder.boxes[0].text, "该设备通道配置保存完毕！");
    EXPECT_EQ(p.analogList()->GetItemText(1, 3), "7");  // the list is not corrected

    const ChannelLists saved = ChannelStore(paths).LoadChannels("制动台");
    ASSERT_EQ(saved.analog.size(), 3U);
    EXPECT_EQ(saved.analog[0],
              (AnalogChannel{"左制动", "3", "左轮制动力", "2", "1", "daN", "-5", "5", "-1", "1"}));
    EXPECT_EQ(saved.analog[1],
              (AnalogChannel{"右制动", "4", "右轮制动力", "0", "", "kN", "", "", "", ""}));
    EXPECT_EQ(saved.analog[2], (AnalogChannel{"新", "", "未接线", "", "", "", "", "", "", ""}));
    EXPECT_EQ(saved.inputs,
              (std::vector<DigitalChannel>{{"到位", "1", "到位开关"}, {"举升", "2", "举升到位"}}));
    EXPECT_EQ(saved.outputs, (std::vector<DigitalChannel>{{"电机", "5", "主电机"}}));

    EXPECT_EQ(IniFile(paths.calibIni).readString("通道", "About", "-", 100), "未接线");

    // A second save writes the same again and removes nothing.
    const std::string once = readBytes(paths.calibIni);
    p.OnSave();
    EXPECT_EQ(readBytes(paths.calibIni), once);
    EXPECT_EQ(recorder.boxes.size(), 2U);
}

TEST_F(DialogTdsetTest, SaveWithoutADeviceWritesUnderTheEmptyName) {
    Dialog_Tdset& p = open(kTwoStations);
    type(*p.outputKeyword(), "灯");
    p.OnAddOutput();
    p.OnSave();
    EXPECT_EQ(messages(), std::vector<std::string>{"该设备通道配置保存完毕！"});
    EXPECT_EQ(ChannelStore(paths).LoadChannels("").outputs,
              (std::vector<DigitalChannel>{{"灯", "", ""}}));
}

TEST_F(DialogTdsetTest, AFailedSaveIsNotReportedAsDone) {
    std::filesystem::remove(paths.calibIni);
    std::filesystem::create_directory(paths.calibIni);  // cannot be written as a file
    Dialog_Tdset& p = open(kTwoStations);
    pick(*p.deviceBox(), "制动台");
    type(*p.analogKeyword(), "压力");
    p.OnAddAnalog();
    p.OnSave();
    ASSERT_EQ(recorder.boxes.size(), 1U);
    EXPECT_NE(recorder.boxes[0].text, "该设备通道配置保存完毕！");
    EXPECT_EQ(recorder.boxes[0].text.rfind("该设备通道配置保存失败", 0), 0U)
        << recorder.boxes[0].text;
    EXPECT_EQ(recorder.boxes[0].icon, MessageIcon::Error);
}

TEST_F(DialogTdsetTest, ACellThatCannotBeSavedIsNamedAndNothingIsWritten) {
    Dialog_Tdset& p = open(kTwoStations);
    pick(*p.deviceBox(), "制动台");
    type(*p.inputKeyword(), "新开关");
    p.OnAddInput();
    const std::string before = readBytes(paths.calibIni);
    p.analogList()->SetItemText(0, 2, "左\xF0\x9F\x98\x80");  // no GBK form
    p.OnSave();
    ASSERT_EQ(recorder.boxes.size(), 1U);
    EXPECT_EQ(recorder.boxes[0].text,
              "“模拟”列表第1行第3列（通道说明）含有无法保存的字符（如换行符、生僻字或特殊符号），"
              "请修改后重新保存。本次没有保存任何数据。");
    EXPECT_EQ(recorder.boxes[0].icon, MessageIcon::Error);
    EXPECT_EQ(readBytes(paths.calibIni), before) << "not even the new input";
}

TEST_F(DialogTdsetTest, AnotherDeviceDiscardsEditsWithoutAsking) {
    Dialog_Tdset& p = open(kTwoStations);
    pick(*p.deviceBox(), "制动台");
    p.analogList()->SetItemText(0, 1, "99");
    type(*p.inputKeyword(), "新开关");
    p.OnAddInput();

    pick(*p.deviceBox(), "侧滑台");
    pick(*p.deviceBox(), "制动台");
    EXPECT_EQ(p.analogList()->GetItemText(0, 1), "3");
    EXPECT_EQ(p.inputList()->GetItemCount(), 2);
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(IniFile(paths.calibIni).readString("制动台", "左制动", "", 10), "3");
}

// True when some pixel of the image passes the test.
template <typename Test>
bool anyPixel(const QImage& image, Test test) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (test(image.pixelColor(x, y))) {
                return true;
            }
        }
    }
    return false;
}

TEST_F(DialogTdsetTest, ListsAndRemarksShowTheirColours) {
    Dialog_Tdset& p = open(kTwoStations);
    CEditListCtrl& list = *p.analogList();
    const QImage empty = list.viewport()->grab().toImage();
    // Every control has the dialog font, a list's header included.
    EXPECT_EQ(p.inputList()->horizontalHeader()->font().family(), p.inputList()->font().family());
    EXPECT_EQ(empty.pixelColor(empty.width() / 2, empty.height() / 2), QColor(240, 247, 233));

    pick(*p.deviceBox(), "制动台");
    const QImage rows = list.viewport()->grab().toImage();
    EXPECT_TRUE(anyPixel(rows, [](const QColor& c) {
        return c.blue() > 180 && c.red() < 90 && c.green() < 90;
    })) << "blue cell text";

    const QList<QLabel*> labels = p.findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_FALSE(labels.isEmpty());
    const QImage remark = labels.back()->grab().toImage();  // the hint line is the last label
    EXPECT_EQ(labels.back()->text().left(3).toStdString(), "提示：");
    EXPECT_TRUE(anyPixel(remark, [](const QColor& c) {
        return c.red() > 150 && c.green() < 70 && c.blue() < 70;
    })) << "red hint text";
}

TEST_F(DialogTdsetTest, NoLabelIsCutOrRunsIntoAnotherControl) {
    Dialog_Tdset& p = open(kTwoStations);
    pick(*p.deviceBox(), "制动台");
    EXPECT_EQ(testing::labelClashes(p), std::vector<std::string>{});
}

TEST_F(DialogTdsetTest, OpensOnTheValuesTheProcessPublishes) {
    Runtime& r = runtime();
    const ChannelIniPaths savedPaths{r.CalibIniPath, r.SysIniPath, r.DevIdIniPath};
    const ScreenRect savedArea = r.PageAreaRect;
    r.CalibIniPath = paths.calibIni;
    r.SysIniPath = paths.sysIni;
    r.DevIdIniPath = paths.devIdIni;
    writeGbk(paths.sysIni, kOneStation);

    Dialog_Tdset p;
    EXPECT_EQ(itemsOf(*p.stationBox()), std::vector<std::string>{"2工位"});
    pick(*p.deviceBox(), "侧滑台");
    EXPECT_EQ(p.analogList()->GetItemText(0, 1), "7");
    r.PageAreaRect = {30, 40, 759, 480};  // right and bottom exclusive
    p.tick();
    EXPECT_EQ(p.geometry(), QRect(30, 40, 729, 440));

    r.CalibIniPath = savedPaths.calibIni;
    r.SysIniPath = savedPaths.sysIni;
    r.DevIdIniPath = savedPaths.devIdIni;
    r.PageAreaRect = savedArea;
}

// The page inside a dialog standing in for the main window, which Enter or Escape would end.
class DialogTdsetKeysTest : public DialogTdsetTest {
  protected:
    void SetUp() override {
        DialogTdsetTest::SetUp();
        host = std::make_unique<QDialog>();
        host->resize(900, 700);
        auto* defaultButton = new QPushButton(QStringLiteral("退出"), host.get());
        defaultButton->setDefault(true);
        defaultButton->move(800, 650);
        QObject::connect(defaultButton, &QPushButton::clicked, [this] { ++hostButtonClicks; });
        open(kTwoStations, host.get());
        host->show();
        host->activateWindow();
        QApplication::processEvents();
        ASSERT_TRUE(host->isActiveWindow());
    }
    void TearDown() override {
        (void)page.release();  // owned by the host
        host.reset();
        DialogTdsetTest::TearDown();
    }

    void expectHostOpen(const char* after) const {
        EXPECT_TRUE(host->isVisible()) << after;
        EXPECT_EQ(host->result(), 0) << after;
        EXPECT_EQ(hostButtonClicks, 0) << after;
    }

    std::unique_ptr<QDialog> host;
    int hostButtonClicks = 0;
};

TEST_F(DialogTdsetKeysTest, EnterInACellKeepsTheTextAndClosesNothing) {
    Dialog_Tdset& p = *page;
    pick(*p.deviceBox(), "制动台");
    CEditListCtrl& list = *p.analogList();
    const auto cell = [&list](int column) {
        return QPoint(list.columnViewportPosition(column) + 10,
                      list.rowViewportPosition(0) + list.rowHeight(0) / 2);
    };
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell(0));
    EXPECT_FALSE(CInPlaceEdit::GetInstance()->IsOpen()) << "the keyword is never edited";
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell(2));
    QLineEdit* editor = CInPlaceEdit::GetInstance()->Window();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "left front");
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_FALSE(CInPlaceEdit::GetInstance()->IsOpen());
    EXPECT_EQ(list.GetItemText(0, 2), "left front");
    expectHostOpen("Enter in a cell");

    // The list itself, with the edited row focused, passes Enter and Escape on to the page.
    QTest::keyClick(&list, Qt::Key_Return);
    QTest::keyClick(&list, Qt::Key_Escape);
    expectHostOpen("Enter and Escape in the list");

    p.OnSave();
    EXPECT_EQ(ChannelStore(paths).LoadChannels("制动台").analog[0].About, "left front");
}

TEST_F(DialogTdsetKeysTest, EnterAndEscapeInTheKeywordBoxStayInThePage) {
    Dialog_Tdset& p = *page;
    for (QLineEdit* box : {p.analogKeyword(), p.inputKeyword(), p.outputKeyword()}) {
        box->setFocus();
        QTest::keyClicks(box, "door");
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Enter);
        QTest::keyClick(box, Qt::Key_Escape);
        expectHostOpen("keys in a keyword box");
        EXPECT_EQ(box->text().toStdString(), "door");
    }
    // Enter adds nothing by itself: only the button does.
    EXPECT_EQ(p.analogList()->GetItemCount(), 0);
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(DialogTdsetKeysTest, TickPlacesThePageOnThePageArea) {
    Dialog_Tdset& p = *page;
    const QRect before = p.geometry();
    pageArea = QRect();  // not published yet
    p.tick();
    EXPECT_EQ(p.geometry(), before);

    const QPoint hostOrigin = host->mapToGlobal(QPoint(0, 0));
    pageArea = QRect(hostOrigin + QPoint(20, 47), QSize(729, 440));
    p.tick();
    EXPECT_EQ(p.geometry(), QRect(20, 47, 729, 440));
    EXPECT_EQ(p.mapToGlobal(QPoint(0, 0)), pageArea.topLeft());

    pageArea.translate(15, -5);  // the main window moved
    p.tick();
    EXPECT_EQ(p.geometry(), QRect(35, 42, 729, 440));
}

}  // namespace
}  // namespace kova
