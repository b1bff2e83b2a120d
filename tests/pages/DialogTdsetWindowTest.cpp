// How the configuration page looks, what it opens on, and how it sits in the main window.

#include "TdsetFixture.h"

namespace kova {
namespace {

using test::writeGbk;

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
    CEditListCtrl& list = *p.analog().list;
    const QImage empty = list.viewport()->grab().toImage();
    // Every control has the dialog font, a list's header included.
    EXPECT_EQ(p.inputs().list->horizontalHeader()->font().family(),
              p.inputs().list->font().family());
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
    EXPECT_EQ(p.analog().list->GetItemText(0, 1), "7");
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
    CEditListCtrl& list = *p.analog().list;
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
    for (QLineEdit* box : {p.analog().keyword, p.inputs().keyword, p.outputs().keyword}) {
        box->setFocus();
        QTest::keyClicks(box, "door");
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Enter);
        QTest::keyClick(box, Qt::Key_Escape);
        expectHostOpen("keys in a keyword box");
        EXPECT_EQ(box->text().toStdString(), "door");
    }
    // Enter adds nothing by itself: only the button does.
    EXPECT_EQ(p.analog().list->GetItemCount(), 0);
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
