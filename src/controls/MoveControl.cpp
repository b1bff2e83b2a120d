#include "controls/MoveControl.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextEdit>
#include <utility>
#include <vector>

namespace kova {

const char* windowClassNameOf(const QWidget* control) {
    if (qobject_cast<const QLabel*>(control) != nullptr) {
        return "Static";
    }
    if (qobject_cast<const QLineEdit*>(control) != nullptr ||
        qobject_cast<const QTextEdit*>(control) != nullptr ||
        qobject_cast<const QPlainTextEdit*>(control) != nullptr) {
        return "Edit";
    }
    // Push buttons, check boxes, radio buttons and group boxes are all buttons there.
    if (qobject_cast<const QAbstractButton*>(control) != nullptr ||
        qobject_cast<const QGroupBox*>(control) != nullptr) {
        return "Button";
    }
    if (qobject_cast<const QComboBox*>(control) != nullptr) {
        return "ComboBox";
    }
    if (qobject_cast<const QAbstractItemView*>(control) != nullptr) {
        return "SysListView32";
    }
    return control->metaObject()->className();
}

}  // namespace kova

CMoveControl::CMoveControl() : CMoveControl(LoadFontSettings()) {}

CMoveControl::CMoveControl(DialogFontSettings settings) : settings_(std::move(settings)) {}

void CMoveControl::Attach(QWidget* parent) {
    carry_.clear();
    attached_ = true;
    parent_ = parent;
    reference_ = parent != nullptr ? parent->size() : QSize();
}

bool CMoveControl::Layout() {
    QWidget* parent = parent_.data();
    if (!attached_ || parent == nullptr) {
        return false;
    }
    const QSize now = parent->size();
    if (reference_.width() < 1 || reference_.height() < 1 || now.width() < 1 || now.height() < 1) {
        return false;
    }
    std::vector<QWidget*> controls;
    for (QObject* child : parent->children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (control != nullptr && !control->isWindow() && !control->isHidden()) {
            controls.push_back(control);
        }
    }
    if (controls.size() > kova::kLayoutCarrySlots) {
        return false;
    }
    if (!font_) {
        font_ = CreateDialogFont(settings_);
    }
    const double fx = static_cast<double>(now.width()) / reference_.width();
    const double fy = static_cast<double>(now.height()) / reference_.height();
    for (std::size_t slot = 0; slot < controls.size(); ++slot) {
        QWidget* control = controls[slot];
        const QRect g = control->geometry();
        const kova::ControlKind kind = kova::controlKindOf(kova::windowClassNameOf(control));
        control->setFont(*font_);
        const int textHeight = QFontMetrics(control->font()).height();
        auto* combo = qobject_cast<QComboBox*>(control);
        const int dropDown = combo != nullptr ? FitComboDropDown(combo) : 0;
        const kova::ControlRect old{g.x(), g.y(), g.x() + g.width(), g.y() + g.height()};
        const kova::ControlRect r =
            kova::layoutControl(old, kind, fx, fy, carry_, slot, textHeight, dropDown);
        const int height = combo != nullptr ? g.height() : r.bottom - r.top;
        control->setGeometry(r.left, r.top, r.right - r.left, height);
    }
    parent->update();
    reference_ = now;
    done_ = true;
    return true;
}

int CMoveControl::FitComboDropDown(QComboBox* combo) const {
    if (combo == nullptr) {
        return 0;
    }
    const QFontMetrics metrics(combo->font());
    std::vector<int> widths;
    widths.reserve(static_cast<std::size_t>(combo->count()));
    for (int i = 0; i < combo->count(); ++i) {
        widths.push_back(metrics.horizontalAdvance(combo->itemText(i)));
    }
    const int scrollBar = combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, combo);
    const int edge = combo->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, combo);
    combo->view()->setMinimumWidth(
        kova::comboDropDownWidth(widths, metrics.averageCharWidth(), scrollBar, edge));
    return kova::comboDropDownHeight(static_cast<std::size_t>(combo->count()), metrics.height());
}
