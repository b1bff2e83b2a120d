#pragma once
// Dialog_Check: the calibration check window "标定校验" (template 129). It reads one channel
// continuously, converts the reading with the channel's calibration table and shows the value on
// the segment readout beside the table's curve; the technician compares it with reference values,
// zeroes it, mirrors it to the LED board and saves the comparison rows to "D:\calibdata".
// Modal; the calibration page opens it for its selected channel.

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "DataDeal.h"
#include "config/ChannelRecords.h"
#include "dialogs/Dialog_Password.h"
#include "pages/logic/CheckFile.h"
#include "records/logic/CalibRecord.h"

class CDigiString;
class CEditListCtrl;
class CGraphCtrl;
class CMoveControl;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace kova {
struct Runtime;
}

class Dialog_Check : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kTemplateId = 129;
    static constexpr int kOpeningPeriodMs = 100;  // until the settings command applies "MS"

    // Opens the window for the channel-number text `channel` of `device` (the device names the
    // channel in the records only): title, parameters, table, graph, readout "0", sliding average
    // with "HDNUM", layout, timer 1 at 100 ms. `debugLog` writes each reading to the acquisition
    // log, `sendToLed` mirrors it to the LED board through the process's LED client.
    Dialog_Check(kova::Runtime& rt, const std::string& device, const std::string& channel,
                 bool debugLog, bool sendToLed, QWidget* parent = nullptr);
    ~Dialog_Check() override;

    // Timer 1: one sampling tick; a tick that arrives while the previous one runs does nothing.
    void tick();

    // Commands, as the controls trigger them.
    void OnZero();      // "减零点" / "恢复原零点"
    void OnSettings();  // "&S"
    void OnAdd();       // "添加 ↓"
    void OnSave();      // "保 存"
    void OnDblclkList();
    void OnExit();  // "退  出"

    // The station the records name the channel's device by.
    void setStation(std::string station) { station_ = std::move(station); }

    // The hour the maintenance password is checked against; tests set their own.
    void setPasswordClock(kova::Dialog_Password::HourClock clock) { clock_ = std::move(clock); }

    // The controls, for tests.
    QLabel* titleLabel() const { return title_; }
    CDigiString* readout() const { return readout_; }
    QPushButton* zeroButton() const { return zero_; }
    QPushButton* settingsButton() const { return settings_; }
    QLabel* unitLabel() const { return unit_; }
    QCheckBox* ledUnitBox() const { return ledUnit_; }
    CGraphCtrl* graph() const { return graph_; }
    QLineEdit* voltBox() const { return voltBox_; }
    QLineEdit* valueBox() const { return valueBox_; }
    QLineEdit* inputBox() const { return inputBox_; }
    CEditListCtrl* checkList() const { return list_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* exitButton() const { return exit_; }
    const QTimer* sampleTimer() const { return timer_; }

    // Window state.
    int channel() const { return channel_; }
    const kova::ChannelParams& params() const { return params_; }
    bool zeroing() const { return zeroing_ == 1; }
    float zeroOffset() const { return zeroOffset_; }
    float lastVoltage() const { return lastVoltage_; }
    int linkState() const { return linkState_; }
    float value() const { return value_; }
    const std::string& displayText() const { return displayText_; }
    // The check list's rows, top first.
    std::vector<kova::CheckRow> checkRows() const;

  protected:
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void BuildControls();
    void SetUpList();
    void SetUpGraph();
    void ApplyLayout();
    void TickAnalog();
    void TickCount(bool frequency);
    // Whether the card has a fresh reading of the channel; when not, the readout shows dashes
    // and the voltage box the state, and nothing is mirrored or logged.
    bool ReadingFresh();
    void Show(const std::string& text);
    void Mirror();
    void Log(const std::string& line);
    void Message(const std::string& text, bool failure);

    kova::Runtime& rt_;
    std::string station_;
    std::string device_;
    std::string channelText_;
    kova::StoredTable checkedTable_;  // the table the window converts with, as stored
    bool debugLog_;
    bool sendToLed_;
    kova::Dialog_Password::HourClock clock_;
    kova::ChannelParams params_;
    DataDeal deal_;

    int channel_ = 0;
    int zeroing_ = 0;
    int ready_ = 1;
    float zeroOffset_ = 0.0f;
    float lastVoltage_ = 0.0f;
    int linkState_ = 0;
    float value_ = 0.0f;
    std::string displayText_;

    QLabel* title_ = nullptr;
    CDigiString* readout_ = nullptr;
    QPushButton* zero_ = nullptr;
    QPushButton* settings_ = nullptr;
    QLabel* unit_ = nullptr;
    QCheckBox* ledUnit_ = nullptr;
    CGraphCtrl* graph_ = nullptr;
    QLineEdit* voltBox_ = nullptr;
    QLineEdit* valueBox_ = nullptr;
    QLineEdit* inputBox_ = nullptr;
    CEditListCtrl* list_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* exit_ = nullptr;
    QTimer* timer_ = nullptr;
    std::unique_ptr<CMoveControl> layout_;
};
