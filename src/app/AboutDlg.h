#pragma once
// The About box (template 100): the application icon, the version and a tall OK button.

#include <QDialog>

class QPushButton;

class AboutDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kTemplateId = 100;
    explicit AboutDlg(QWidget* parent = nullptr);

    QPushButton* okButton() const { return ok_; }

  private:
    QPushButton* ok_ = nullptr;
};
