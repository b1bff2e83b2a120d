#pragma once
// CMoveControl: keeps a window's controls in proportion when the window changes size, gives every
// control the dialog font, and fits combo-box drop-down lists to their items. The owner calls
// Layout from its size handling (and once after Attach).
//
// A Qt combo box's geometry is its closed field only; its list pops up separately, sized by Qt to
// at most ten items as FitComboDropDown's height describes. So a combo box keeps its height, and
// the drop-down extent enters only the layout arithmetic.

#include <QFont>
#include <QPointer>
#include <QSize>
#include <optional>

#include "controls/DialogFontSettings.h"
#include "controls/logic/ControlLayout.h"

class QComboBox;
class QWidget;

class CMoveControl {
  public:
    // Reads the dialog font settings of the working directory.
    CMoveControl();
    explicit CMoveControl(DialogFontSettings settings);

    // Lays out parent's children from now on; its current size is the reference.
    void Attach(QWidget* parent);
    // Scales every visible child to the parent's new size. Does nothing while either size is
    // empty, and refuses a window with more visible children than carry slots, moving nothing.
    // True when the pass completed.
    bool Layout();
    // Widens the combo box's drop-down list to its widest item; the height its first ten items
    // need.
    int FitComboDropDown(QComboBox* combo) const;

    bool IsDone() const { return done_; }
    QSize ReferenceSize() const { return reference_; }
    const DialogFontSettings& FontSettings() const { return settings_; }
    // The dialog font, once the first layout has made it.
    const std::optional<QFont>& DialogFont() const { return font_; }

  private:
    QPointer<QWidget> parent_;
    bool attached_ = false;
    QSize reference_;
    kova::LayoutCarry carry_;
    DialogFontSettings settings_;
    std::optional<QFont> font_;
    bool done_ = false;
};

namespace kova {

// The window class name a control would have on the station's window system: "Static",
// "Edit", "Button", "ComboBox", "SysListView32", or its Qt class name.
const char* windowClassNameOf(const QWidget* control);

}  // namespace kova
