#pragma once
// Dialog_Tdset: the channel configuration page, the first page of the main window's tab sheet.
// A technician picks a station and a device and declares the device's analog inputs, digital
// inputs and digital outputs in three editable lists; nothing is written before "保   存".

#include <string>
#include <vector>

#include "config/ChannelStore.h"
#include "controls/TabPage.h"

class CEditListCtrl;
class QComboBox;
class QLineEdit;
class QPushButton;

class Dialog_Tdset : public kova::TabPage {
    Q_OBJECT

  public:
    static constexpr int kTemplateId = 131;

    // One of the three lists with its keyword box and its "添 加" button.
    struct ListGroup {
        CEditListCtrl* list = nullptr;
        QLineEdit* keyword = nullptr;
        QPushButton* add = nullptr;
    };

    // Builds the page from its template and opens it: fonts, lists, the stations of this
    // computer (a message when there is none), the layout and timer 1.
    Dialog_Tdset(kova::ChannelStore store, PageAreaSource pageArea, QWidget* parent = nullptr);
    // The same on the ini files and the page area the process publishes.
    explicit Dialog_Tdset(QWidget* parent = nullptr);
    ~Dialog_Tdset() override;

    // Timer 1, the place timer: moves the page onto the page area. Tests call it directly.
    void tick() { FollowPageArea(); }

    // Commands, as the controls trigger them.
    void OnSelchangeStation();
    void OnSelchangeDevice();
    // "添 加" of one list: a row with the keyword its box holds.
    void OnAdd(const ListGroup& group);
    void OnSave();

    // The controls, for the main window's layout and for tests.
    QComboBox* stationBox() const { return stationBox_; }
    QComboBox* deviceBox() const { return deviceBox_; }
    const ListGroup& analog() const { return analog_; }    // "模拟"
    const ListGroup& inputs() const { return inputs_; }    // "数字输入"
    const ListGroup& outputs() const { return outputs_; }  // "数字输出"
    QPushButton* saveButton() const { return save_; }

  private:
    void BuildControls();
    void SetUpLists();
    void ClearLists();
    kova::ChannelLists ListsAsShown() const;
    void Message(const std::string& text);

    kova::ChannelStore store_;

    QComboBox* stationBox_ = nullptr;
    QComboBox* deviceBox_ = nullptr;
    ListGroup analog_;
    ListGroup inputs_;
    ListGroup outputs_;
    QPushButton* save_ = nullptr;
};
