#pragma once
// The acquisition settings dialog (template 137, "校准设置"): the four runtime parameters of the
// acquisition chain, applied in memory and stored in Calib.ini by "设 定".

#include <QDialog>

#include "runtime/Runtime.h"

class QComboBox;
class QPushButton;

namespace kova {

class Dialog_CheckSet : public QDialog {
  public:
    explicit Dialog_CheckSet(QWidget* parent = nullptr, Runtime& rt = runtime());

    QComboBox* averNumBox() const { return averNum_; }  // 1051
    QComboBox* hdNumBox() const { return hdNum_; }      // 1052
    QComboBox* msBox() const { return ms_; }            // 1055
    QComboBox* firNumBox() const { return firNum_; }    // 1091, editable
    QPushButton* setButton() const { return set_; }     // 1053 "设 定"
    QPushButton* exitButton() const { return exit_; }   // 1054 "退 出"

    // "设 定": takes the four texts into memory and Calib.ini, then closes.
    void OnSet();

  protected:
    // Enter while no button has the focus leaves without change, as Escape does.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void fillBoxes();

    Runtime& rt_;
    QComboBox* averNum_;
    QComboBox* hdNum_;
    QComboBox* ms_;
    QComboBox* firNum_;
    QPushButton* set_;
    QPushButton* exit_;
};

}  // namespace kova
