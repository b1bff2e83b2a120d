// The calibration page's two window buttons, and a check end to end: the simulated card, the
// page, the check window and a running LED board server.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <thread>

#include "ChildProcess.h"
#include "TdcabFixture.h"
#include "controls/Digistring.h"
#include "pages/Dialog_Check.h"
#include "pages/Dialog_Digit.h"
#include "platform/IniFile.h"
#include "platform/WindowMessages.h"

namespace kova::testing {
namespace {

class DialogCheckEndToEndTest : public TdcabFixture {
  protected:
    void SetUp() override {
        TdcabFixture::SetUp();
        // Channel 3 (row 0 of device 制动台) reads 1.5 V: 300 on its table.
        const IniFile ini(rt_.CalibIniPath);
        ASSERT_TRUE(ini.writeString("3通道", "Point", "1"));
        ASSERT_TRUE(ini.writeString("3通道", "DanWei", "kN"));
    }

    Dialog_Digit* digitalTest() const { return page_->findChild<Dialog_Digit*>(); }

    test::ScopedEnv windowsDir_{"KOVA_WINDOWS_DIR", dir_ / "windows"};
};

// Waits, without sleeping, for a condition that another process makes true.
template <typename Predicate>
bool eventually(Predicate done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) {
            return true;
        }
        std::this_thread::yield();
    }
    return done();
}

TEST_F(DialogCheckEndToEndTest, CheckWindowAndLedBoardShowTheCalibratedValue) {
    test::ChildProcess server(KOVA_TEST_LEDSERVER, {"--headless", "CheckLED"});
    ASSERT_TRUE(server.started());
    ASSERT_TRUE(eventually([] { return windowExists("CheckLED"); }));
    rt_.ledClient.SetLedNameDirect("CheckLED");

    Dialog_Tdcab& page = openOnDevice();
    clickChannel(0);
    ASSERT_TRUE(page.sampleTimer()->isActive());
    std::string readout;
    std::string valueBox;
    std::string title;
    bool pageSampling = true;
    recorder_.onModal = [&](QDialog& dialog) {
        auto& check = dynamic_cast<Dialog_Check&>(dialog);
        pageSampling = page.sampleTimer()->isActive();
        title = check.titleLabel()->text().toStdString();
        for (int i = 0; i < rt_.HDNUM; ++i) {
            check.tick();
        }
        readout = check.readout()->GetText();
        valueBox = check.valueBox()->text().toStdString();
        check.exitButton()->click();
    };
    page.OnCheck();
    ASSERT_EQ(recorder_.modals.size(), 1u);
    EXPECT_EQ(recorder_.modals[0].title, "标定校验");
    EXPECT_FALSE(recorder_.modals[0].leftOpen);
    EXPECT_FALSE(pageSampling);
    EXPECT_TRUE(page.sampleTimer()->isActive());  // sampling again after the window
    EXPECT_EQ(title, "3通道");
    EXPECT_EQ(readout, "300.0");
    EXPECT_EQ(valueBox, "300.0");
    EXPECT_EQ(server.readLine(), "CheckLED\twrite\t300.0kN");
}

TEST_F(DialogCheckEndToEndTest, PageOwnsTheDigitalTestAndShowsItOnItsButton) {
    Dialog_Tdcab& page = open();
    const QPointer<Dialog_Digit> digit = digitalTest();
    ASSERT_NE(digit, nullptr);
    EXPECT_FALSE(digit->isVisible());
    EXPECT_TRUE(digit->pollTimer()->isActive());
    page.OnDigitalTest();
    EXPECT_TRUE(digit->isVisible());

    // The simulated card records its outputs beside itself.
    const auto outputFive = [this] {
        return IniFile((dir_ / "FerroxanOutputs.ini").string())
            .readString("Outputs", "DO5", "?", 10);
    };
    digit->outputButton(5)->click();
    ASSERT_EQ(outputFive(), "1");
    page_.reset();
    EXPECT_TRUE(digit.isNull());   // destroyed with the page
    EXPECT_EQ(outputFive(), "0");  // and every output it left on is low again
}

}  // namespace
}  // namespace kova::testing
