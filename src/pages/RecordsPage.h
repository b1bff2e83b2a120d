#pragma once
// RecordsPage: the third page of the main window's tab sheet, " 标 定 记 录 ". The technician
// picks a station, a device and one of its analog channels and sees the channel's history of
// calibrations and checks, newest first; the selected record's points in a list and on a graph;
// the channel's tolerance, which can be set here; and exports a verification report (PDF) or the
// history (CSV).

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/ChannelStore.h"
#include "controls/TabPage.h"
#include "pages/Dialog_Tdcab.h"
#include "records/logic/CalibRecord.h"

class CEditListCtrl;
class CGraphCtrl;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kova {
struct Runtime;
}

class RecordsPage : public kova::TabPage {
    Q_OBJECT

  public:
    RecordsPage(kova::Runtime& rt, QWidget* parent = nullptr);
    ~RecordsPage() override;

    // Commands, as the controls trigger them.
    void OnSelchangeStation();
    void OnSelchangeDevice();
    void OnSelchangeChannel();
    void OnSelchangeRecord();
    void OnSetTolerance();  // "设 定"
    void OnExportReport();  // "导出报告..."
    void OnExportCsv();     // "导出CSV..."
    // Reads the chosen channel's history again (the page does so whenever it is shown).
    void Reload();
    // Chooses channel `number` of `device` of `station` in the pickers; false, choosing nothing
    // new, when one of them does not list it.
    bool ShowChannel(const std::string& station, const std::string& device,
                     const std::string& number);

    // The channel the technician works on elsewhere (the calibration page's). When it has
    // changed since the page was last shown, the page shows it.
    std::function<std::optional<kova::WorkingChannel>()> workingChannel;

    // The controls, for tests.
    QComboBox* stationBox() const { return stationBox_; }
    QComboBox* deviceBox() const { return deviceBox_; }
    QComboBox* channelBox() const { return channelBox_; }
    CEditListCtrl* historyList() const { return history_; }
    CEditListCtrl* pointsList() const { return points_; }
    CGraphCtrl* graph() const { return graph_; }
    QLineEdit* toleranceField() const { return tolerance_; }
    QPushButton* reportButton() const { return report_; }
    QPushButton* csvButton() const { return csv_; }
    QLabel* noteLine() const { return note_; }
    const std::vector<kova::CalibRecord>& shownRecords() const { return records_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void BuildControls();
    void SetUpLists();
    std::optional<kova::RecordChannel> ChosenChannel() const;
    void ShowRecord(const kova::CalibRecord* record);
    void PlotTables(const kova::StoredTable& first, const kova::StoredTable& second);
    void Message(const std::string& text, bool failure);

    kova::Runtime& rt_;
    kova::ChannelStore store_;
    std::string followed_;  // the working channel last shown, as "station/device/number"
    std::vector<kova::AnalogChannel> analog_;  // the chosen device's analog channels
    std::vector<kova::CalibRecord> records_;   // the history list's records, in its order

    QComboBox* stationBox_ = nullptr;
    QComboBox* deviceBox_ = nullptr;
    QComboBox* channelBox_ = nullptr;
    CEditListCtrl* history_ = nullptr;
    CEditListCtrl* points_ = nullptr;
    CGraphCtrl* graph_ = nullptr;
    QLineEdit* tolerance_ = nullptr;
    QPushButton* setTolerance_ = nullptr;
    QPushButton* report_ = nullptr;
    QPushButton* csv_ = nullptr;
    QLabel* note_ = nullptr;
};
