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
    void OnAddAnalog();
    void OnAddInput();
    void OnAddOutput();
    void OnSave();

    // The controls, for the main window's layout and for tests.
    QComboBox* stationBox() const { return stationBox_; }
    QComboBox* deviceBox() const { return deviceBox_; }
    CEditListCtrl* analogList() const { return analogList_; }
    CEditListCtrl* inputList() const { return inputList_; }
    CEditListCtrl* outputList() const { return outputList_; }
    QLineEdit* analogKeyword() const { return analogKeyword_; }
    QLineEdit* inputKeyword() const { return inputKeyword_; }
    QLineEdit* outputKeyword() const { return outputKeyword_; }
    QPushButton* addAnalogButton() const { return addAnalog_; }
    QPushButton* addInputButton() const { return addInput_; }
    QPushButton* addOutputButton() const { return addOutput_; }
    QPushButton* saveButton() const { return save_; }

  private:
    void BuildControls();
    void SetUpLists();
    void ClearLists();
    // "添 加" for one list with its keyword box.
    void AddRow(CEditListCtrl& list, const QLineEdit& keywordBox);
    kova::ChannelLists ListsAsShown() const;
    void Message(const std::string& text);

    kova::ChannelStore store_;

    QComboBox* stationBox_ = nullptr;
    QComboBox* deviceBox_ = nullptr;
    CEditListCtrl* analogList_ = nullptr;
    CEditListCtrl* inputList_ = nullptr;
    CEditListCtrl* outputList_ = nullptr;
    QLineEdit* analogKeyword_ = nullptr;
    QLineEdit* inputKeyword_ = nullptr;
    QLineEdit* outputKeyword_ = nullptr;
    QPushButton* addAnalog_ = nullptr;
    QPushButton* addInput_ = nullptr;
    QPushButton* addOutput_ = nullptr;
    QPushButton* save_ = nullptr;
};
