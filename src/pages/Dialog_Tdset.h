#pragma once
// Dialog_Tdset: the channel configuration page, the first page of the main window's tab sheet.
// A technician picks a station and a device and declares the device's analog inputs, digital
// inputs and digital outputs in three editable lists; nothing is written before "保   存".

#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/ChannelStore.h"

class CEditListCtrl;
class CMoveControl;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTimer;

class Dialog_Tdset : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kTemplateId = 131;
    static constexpr int kPlaceTimerMs = 50;  // timer 1

    // The page area's screen rectangle as the main window last published it.
    using PageAreaSource = std::function<QRect()>;

    // Builds the page from its template and opens it: fonts, lists, the stations of this
    // computer (a message when there is none), the layout and timer 1.
    Dialog_Tdset(kova::ChannelStore store, PageAreaSource pageArea, QWidget* parent = nullptr);
    // The same on the ini files and the page area the process publishes.
    explicit Dialog_Tdset(QWidget* parent = nullptr);
    ~Dialog_Tdset() override;

    // Timer 1: moves the page onto the page area and repaints it. Tests call it directly.
    void tick();

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
    const QTimer* placeTimer() const { return placeTimer_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void BuildControls();
    void SetUpLists();
    void FillStations();
    void FillDevices(const std::string& stationName);
    void ClearLists();
    // "添 加" for one list with its keyword box.
    void AddRow(CEditListCtrl& list, const QLineEdit& keywordBox);
    kova::ChannelLists ListsAsShown() const;
    void Message(const std::string& text);

    kova::ChannelStore store_;
    PageAreaSource pageArea_;

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
    QTimer* placeTimer_ = nullptr;
    std::unique_ptr<CMoveControl> layout_;
};
