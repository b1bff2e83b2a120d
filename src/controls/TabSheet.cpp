#include "controls/TabSheet.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

#include "controls/logic/ControlLayout.h"

namespace {

// Tabs start this far in from the frame's left edge, as a tab control draws them.
constexpr int kTabIndent = 2;

}  // namespace

CTabSheet::CTabSheet(QWidget* parent) : QWidget(parent), tabBar_(new QTabBar(this)) {
    tabBar_->setDrawBase(false);
    tabBar_->setExpanding(false);
    tabBar_->move(kTabIndent, 0);
    connect(tabBar_, &QTabBar::currentChanged, this, &CTabSheet::OnTabChanged);
}

CTabSheet::~CTabSheet() {
    // The pages belong to the caller: hand them back instead of deleting them with the sheet.
    for (QPointer<QWidget>& page : pages_) {
        if (!page.isNull() && page->parentWidget() == this) {
            page->hide();
            page->setParent(nullptr);
        }
    }
}

bool CTabSheet::AddPage(const std::string& title, QWidget* page, int templateId) {
    if (count_ >= kMaxPages) {
        return false;
    }
    const auto at = static_cast<std::size_t>(count_);
    titles_[at] = title;
    pages_[at] = page;
    templates_[at] = templateId;
    ++count_;
    return true;
}

QWidget* CTabSheet::GetPage(int index) const {
    return index >= 0 && index < count_ ? pages_[static_cast<std::size_t>(index)].data() : nullptr;
}

int CTabSheet::GetTemplateId(int index) const {
    return index >= 0 && index < count_ ? templates_[static_cast<std::size_t>(index)] : 0;
}

void CTabSheet::Show() {
    for (int i = 0; i < count_; ++i) {
        QWidget* page = pages_[static_cast<std::size_t>(i)].data();
        if (page != nullptr && page->parentWidget() != this) {
            page->setParent(this);
        }
        if (i >= tabBar_->count()) {
            tabBar_->addTab(QString::fromStdString(titles_[static_cast<std::size_t>(i)]));
        }
    }
    tabBar_->resize(std::max(tabBar_->sizeHint().width(), width() - kTabIndent),
                    tabBar_->sizeHint().height());
    current_ = 0;
    tabBar_->setCurrentIndex(0);
    shown_ = true;
    PlacePages();
    for (int i = 0; i < count_; ++i) {
        if (QWidget* page = pages_[static_cast<std::size_t>(i)].data()) {
            page->raise();
            page->setVisible(i == current_);
        }
    }
}

QRect CTabSheet::PageRect() const {
    const QRect tab = tabBar_->count() > 0 ? tabBar_->tabRect(0).translated(tabBar_->pos())
                                           : QRect(kTabIndent, 0, 0, 0);
    const kova::ControlRect page = kova::tabPageRect(
        {0, 0, width(), height()},
        {tab.left(), tab.top(), tab.left() + tab.width(), tab.top() + tab.height()});
    return {page.left, page.top, page.right - page.left, page.bottom - page.top};
}

void CTabSheet::PlacePages() {
    if (!shown_) {
        return;
    }
    const QRect rect = PageRect();
    for (int i = 0; i < count_; ++i) {
        if (QWidget* page = pages_[static_cast<std::size_t>(i)].data()) {
            page->setGeometry(rect);
        }
    }
}

void CTabSheet::SwitchTo(int index) {
    if (QWidget* old = GetPage(current_)) {
        old->hide();
    }
    current_ = index;
    if (QWidget* page = GetPage(index)) {
        page->show();
    }
}

void CTabSheet::SetCurSel(int index) {
    if (index < 0 || index >= count_ || index == current_) {
        return;
    }
    SwitchTo(index);
    tabBar_->setCurrentIndex(index);
}

void CTabSheet::OnTabChanged(int index) {
    // A tab chosen with the mouse (or keyboard) shows its page; SetCurSel has already done so.
    if (index >= 0 && index < count_ && index != current_) {
        SwitchTo(index);
    }
}

void CTabSheet::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    tabBar_->resize(std::max(tabBar_->sizeHint().width(), width() - kTabIndent),
                    tabBar_->sizeHint().height());
    PlacePages();
}

void CTabSheet::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    const int top = tabBar_->count() > 0 ? tabBar_->height() : 0;
    frame.rect = QRect(0, top, width(), height() - top);
    frame.tabBarSize = tabBar_->size();
    frame.tabBarRect = tabBar_->geometry();
    frame.shape = QTabBar::RoundedNorth;
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &p, this);
}
