// The calibration page's points list: adding, deleting, clearing and saving the table.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <functional>

#include "LabelClashes.h"
#include "TdcabFixture.h"
#include "platform/DynamicLibrary.h"
#include "platform/TextCodec.h"

namespace kova::testing {
namespace {

using DialogTdcabTest = TdcabFixture;

void typePoint(Dialog_Tdcab& page, const char* volt, const char* trueValue) {
    page.voltField()->setText(QString::fromUtf8(volt));
    page.trueValueField()->setText(QString::fromUtf8(trueValue));
    page.OnAdd();
}

TEST_F(DialogTdcabTest, AddReplacesTheRowOfEqualVoltageOrAppends) {
    Dialog_Tdcab& page = openOnDevice();
    clickChannel(0);
    typePoint(page, "1.0", "250");
    typePoint(page, "1.5", "-");
    typePoint(page, "0.5", "-.5");  // refused: the list stays as it was
    EXPECT_EQ(rowsOf(page), (Texts{{"0.500", "100.000"}, {"1.000", "250"}, {"1.5", "-"}}));
    ASSERT_EQ(recorder_.boxes.size(), 1u);
    EXPECT_EQ(recorder_.boxes[0].text, "标定值请填入数字！");
    EXPECT_EQ(recorder_.boxes[0].caption, "KOVA 提示");
}

TEST_F(DialogTdcabTest, SaveWritesTheSortedTableAndKeepsTheList) {
    Dialog_Tdcab& page = openOnDevice();
    clickChannel(0);
    typePoint(page, "0.2", "-");  // a lone minus saves as 0
    page.OnSave();
    ASSERT_EQ(recorder_.boxes.size(), 1u);
    EXPECT_EQ(recorder_.boxes[0].text, "该通道标定数据保存完毕！");
    const std::string ini = calibIniText();
    EXPECT_NE(ini.find("[3通道]\r\nVolt=0.200,0.500,1.000,\r\nData=0.000,100.000,200.000,\r\n"),
              std::string::npos)
        << ini;
    EXPECT_EQ(rowsOf(page), (Texts{{"0.500", "100.000"}, {"1.000", "200.000"}, {"0.2", "-"}}));
}

TEST_F(DialogTdcabTest, TwentyPointsAreSavedTwentyOneAreNot) {
    Dialog_Tdcab& page = openOnDevice();
    clickChannel(0);
    for (int i = 3; i <= 20; ++i) {
        typePoint(page, std::to_string(i).c_str(), "1");
    }
    ASSERT_EQ(page.pointsList()->GetItemCount(), 20);
    page.OnSave();
    EXPECT_EQ(recorder_.boxes.back().text, "该通道标定数据保存完毕！");
    const std::string saved = test::readBytes(dir_ / "Calib.ini");
    EXPECT_NE(calibIniText().find("Volt=0.500,1.000,3.000,4.000,"), std::string::npos);

    typePoint(page, "21", "1");
    page.OnSave();
    EXPECT_EQ(recorder_.boxes.back().text, "标定点个数不能超过20个");
    EXPECT_EQ(test::readBytes(dir_ / "Calib.ini"), saved);
}

TEST_F(DialogTdcabTest, DoubleClickDeletesTheSelectedRowAfterAYes) {
    Dialog_Tdcab& page = openOnDevice();
    clickChannel(0);
    CEditListCtrl& points = *page.pointsList();
    const QPoint below(5, points.viewport()->height() - 2);

    // Nothing is focused yet: no question.
    QTest::mouseDClick(points.viewport(), Qt::LeftButton, {}, below);
    EXPECT_TRUE(recorder_.boxes.empty());

    points.SelectItem(1);
    recorder_.answers = {false, true};
    QTest::mouseDClick(points.viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(points.GetItemCount(), 2);
    QTest::mouseDClick(points.viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(rowsOf(page), (Texts{{"0.500", "100.000"}}));
    ASSERT_EQ(recorder_.boxes.size(), 2u);
    EXPECT_EQ(recorder_.boxes[1].text, "确实要删除该项？");
    EXPECT_EQ(recorder_.boxes[1].caption, "提示");
    EXPECT_TRUE(recorder_.boxes[1].question);
    // The file keeps the table until it is saved.
    EXPECT_NE(calibIniText().find("Volt=0.500,1.000,"), std::string::npos);
}

TEST_F(DialogTdcabTest, ClearingAfterAYesThenSavingWritesEmptyLists) {
    Dialog_Tdcab& page = openOnDevice();
    clickChannel(0);
    recorder_.answers = {false, true};
    page.OnClear();
    EXPECT_EQ(page.pointsList()->GetItemCount(), 2);
    page.OnClear();
    EXPECT_EQ(page.pointsList()->GetItemCount(), 0);
    EXPECT_EQ(recorder_.boxes[0].text, "确实要删除该通道的全部标定数据？");
    page.OnSave();
    EXPECT_NE(calibIniText().find("[3通道]\r\nVolt=\r\nData=\r\n"), std::string::npos);
}

TEST_F(DialogTdcabTest, SaveWithoutAChannelOrWithoutTheFileIsRefused) {
    Dialog_Tdcab& page = openOnDevice();
    const std::string before = test::readBytes(dir_ / "Calib.ini");
    page.OnSave();
    EXPECT_EQ(recorder_.boxes.back().text, "请选择设备、通道。");
    EXPECT_EQ(test::readBytes(dir_ / "Calib.ini"), before);

    clickChannel(0);
    rt_.CalibIniPath = (dir_ / "missing" / "Calib.ini").string();
    page.OnSave();
    EXPECT_TRUE(recorder_.boxes.back().text.starts_with("该通道标定数据保存失败："))
        << recorder_.boxes.back().text;
    EXPECT_EQ(recorder_.boxes.back().icon, MessageIcon::Error);
}

// The box says in Chinese what to do; the system's own words go to the acquisition log.
TEST_F(DialogTdcabTest, AFailedSaveSaysWhatToDoAndLogsTheDetail) {
    Dialog_Tdcab& page = openOnDevice();
    clickChannel(0);
    openLog();
    const std::string file = rt_.CalibIniPath;
    const struct {
        std::function<void()> spoil;
        std::string box;
    } cases[] = {
        {[&] { ::chmod(file.c_str(), 0444); }, "文件只读。"},
        {[&] { rt_.CalibIniPath = (dir_ / "missing" / "Calib.ini").string(); }, "目录不存在。"},
    };
    for (const auto& c : cases) {
        c.spoil();
        page.OnSave();
        const std::string text = recorder_.boxes.back().text;
        EXPECT_TRUE(text.starts_with("该通道标定数据保存失败：" + c.box)) << text;
        EXPECT_EQ(
            std::count_if(text.begin(), text.end(),
                          [](char ch) { return std::isalpha(static_cast<unsigned char>(ch)); }),
            0)
            << text;
        rt_.CalibIniPath = file;
        ::chmod(file.c_str(), 0644);
    }
    rt_.AcqLog.close();
    const std::string log = gbkToUtf8(test::readBytes(dir_ / "AcqData.log"));
    EXPECT_NE(log.find("read-only"), std::string::npos) << log;
    EXPECT_NE(log.find("missing"), std::string::npos) << log;
}

}  // namespace
}  // namespace kova::testing
