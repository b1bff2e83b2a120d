#pragma once
// Dialog_Tdcab: the channel calibration page, the second page of the main window's tab sheet.
// The technician picks a station, a device and one of its analog channels; while the page is
// shown it samples the channel and writes the voltage into the voltage field; the technician
// types the true value, adds the point, and saves the points as the channel's calibration table.

#include <QPointer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "calib/CalibSave.h"
#include "config/ChannelStore.h"
#include "controls/TabPage.h"
#include "pages/logic/CalibPageSampler.h"

class CEditListCtrl;
class Dialog_Digit;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace kova {

struct Runtime;

// What the page hands the calibration check window.
struct CheckRequest {
    std::string station;     // the station box's text
    std::string device;      // the device box's text
    std::string channel;     // the channel-number display's text
    bool debugLog = false;   // "标定校验写入调试文件" ticked
    bool sendToLed = false;  // "标定校验时送LED屏" ticked
};

// The channel the page calibrates, as its boxes and channel-number display show it.
struct WorkingChannel {
    std::string station;
    std::string device;
    std::string number;
};

}  // namespace kova

class Dialog_Tdcab : public kova::TabPage {
    Q_OBJECT

  public:
    static constexpr int kTemplateId = 130;
    static constexpr int kSampleTimerId = 1;  // period "MS", while shown
    static constexpr int kPlaceTimerId = 3;
    // The length of the page's sliding average; it does not follow "HDNUM".
    static constexpr int kSlidingLength = 5;

    // Builds the page and opens it: fonts, lists, the stations of this computer (a message when
    // there is none), the layout and timer 3. It samples with the process's hardware module,
    // system library and shared sample buffer, and `average`.
    Dialog_Tdcab(kova::Runtime& rt, kova::MathHD& average, QWidget* parent = nullptr);
    ~Dialog_Tdcab() override;

    // The two buttons that open other windows. The calibration check window plugs in at
    // runCheckWindow: it runs the window modally for the request, and the page stops its
    // sampling around the call. The digital channel test plugs in at showDigitalTest: it shows
    // the page's digital test window, which is created hidden with the page and polls from then
    // on. The page connects both when it opens (CalibPageWindows.h); tests may replace them.
    std::function<void(const kova::CheckRequest&)> runCheckWindow;
    std::function<void()> showDigitalTest;

    // Destroys the digital channel test, which drives every output low. The main window calls it
    // before it closes the hardware module; the page's destruction does it otherwise.
    void EndDigitalTest();

    // Timer 1: one sampling tick. A tick that arrives while the previous one still runs is
    // skipped. Tests call it directly. The timer runs while the tab sheet shows the page (not
    // after a restore from minimised) and never while the check window is open.
    void tick();
    // Timer 3, the place timer: moves the page onto the published page area.
    void placeTick() { FollowPageArea(); }

    // Commands, as the controls trigger them.
    void OnSelchangeStation();
    void OnSelchangeDevice();
    void OnClickChannel();
    void OnChannelChanging(int row);
    void OnAutoVolt();
    void OnAdd();
    void OnDblclkPoints();
    void OnClear();
    void OnSave();
    void OnCheck();
    void OnDigitalTest();
    void OnResetCounters();
    void OnDebugLog();

    // The controls, for the main window and for tests.
    QComboBox* stationBox() const { return stationBox_; }
    QComboBox* deviceBox() const { return deviceBox_; }
    CEditListCtrl* channelList() const { return channelList_; }
    CEditListCtrl* pointsList() const { return pointsList_; }
    QLineEdit* voltField() const { return voltField_; }
    QLineEdit* trueValueField() const { return trueValueField_; }
    QLabel* channelDisplay() const { return channelDisplay_; }
    QPushButton* autoVoltButton() const { return autoVolt_; }
    QCheckBox* debugLogBox() const { return debugLogBox_; }
    QCheckBox* sendToLedBox() const { return sendToLedBox_; }
    const QTimer* sampleTimer() const { return sampleTimer_; }

    // Page state.
    int autoVoltState() const { return autoVoltState_; }  // 0 on, 1 off
    int debugLogFlag() const { return debugLog_; }
    int currentChannel() const { return currentChannel_; }
    float reading() const { return reading_; }
    int linkState() const { return linkState_; }
    // The points list as rows of texts.
    std::vector<kova::CalibRow> pointRows() const;
    // The station, device and channel-number texts of the channel being calibrated; nothing
    // while no channel is chosen.
    std::optional<kova::WorkingChannel> workingChannel() const;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void AfterLayout() override;

  private:
    void BuildControls();
    void SetUpLists();
    void ApplyFonts();
    void SelectChannel(int row, bool restartAverage);
    // The points list shows the stored table of the channel-number text `number`.
    void LoadPoints(const std::string& number);
    void StartSampling();
    // False, after saying so, while the display names no channel.
    bool ChannelChosen();
    void Message(const std::string& text);
    std::string DisplayText() const;

    kova::Runtime& rt_;
    kova::ChannelStore store_;
    kova::MathHD& average_;
    kova::CalibPageSampler sampler_;

    int autoVoltState_ = 0;
    int debugLog_ = 0;
    int tickFree_ = 1;
    bool checkWindowOpen_ = false;  // the modal check window runs
    int currentChannel_ = 0;
    float reading_ = 0.0f;
    // The card's state of the sampled channel at the last tick: 0 while its readings are fresh.
    int linkState_ = 0;

    QComboBox* stationBox_ = nullptr;
    QComboBox* deviceBox_ = nullptr;
    CEditListCtrl* channelList_ = nullptr;
    CEditListCtrl* pointsList_ = nullptr;
    QLineEdit* voltField_ = nullptr;
    QLineEdit* trueValueField_ = nullptr;
    QLabel* channelCaption_ = nullptr;
    QLabel* channelDisplay_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* check_ = nullptr;
    QPushButton* digitalTest_ = nullptr;
    QPushButton* clear_ = nullptr;
    QPushButton* autoVolt_ = nullptr;
    QPushButton* resetCounters_ = nullptr;
    QCheckBox* debugLogBox_ = nullptr;
    QCheckBox* sendToLedBox_ = nullptr;
    QTimer* sampleTimer_ = nullptr;
    QPointer<Dialog_Digit> digitalWindow_;
};
