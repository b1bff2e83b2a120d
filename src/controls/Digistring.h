#pragma once
// CDigiString: a short text shown as lit and unlit segments, like an instrument's LED readout,
// scaled to the control's size.

#include <QColor>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "controls/logic/DigitCell.h"

class CDigiString : public QWidget {
    Q_OBJECT

  public:
    explicit CDigiString(QWidget* parent = nullptr);
    ~CDigiString() override;

    // Stores the text and repaints, only when it differs from the current one (case-sensitive).
    void SetText(const std::string& text);
    // The stored text; upper-cased once it has been painted.
    const std::string& GetText() const { return text_; }

    QColor OffColor() const { return offColor_; }
    QColor OnColor() const { return onColor_; }
    QColor BackColor() const { return backColor_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void RebuildCells();

    std::string text_ = "EMPTY";
    bool rebuild_ = true;
    std::vector<std::unique_ptr<DigitCell>> cells_;
    QColor offColor_{0, 52, 0};
    QColor onColor_{0, 255, 0};
    QColor backColor_{0, 0, 0};
};
