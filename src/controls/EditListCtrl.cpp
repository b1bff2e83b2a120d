#include "controls/EditListCtrl.h"

#include <QEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <numeric>

#include "controls/Dialogs.h"
#include "controls/InPlaceEdit.h"
#include "controls/logic/CellEditGeometry.h"

namespace {

Qt::Alignment alignmentOf(int format) {
    switch (format & 3) {
        case CEditListCtrl::FormatRight:
            return Qt::AlignRight | Qt::AlignVCenter;
        case CEditListCtrl::FormatCenter:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        default:
            return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

}  // namespace

CEditListCtrl::CEditListCtrl(QWidget* parent) : QTableWidget(parent) {
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setWordWrap(false);
    setShowGrid(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The list takes the focus itself when a click hits a cell: a click that hits nothing must
    // not take it (nor end an open edit).
    setFocusPolicy(Qt::TabFocus);
    UpdateRowHeight();
    // An open editor stays over its cell when the header moves the cell.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this] { CInPlaceEdit::FollowCell(this); });
    connect(horizontalHeader(), &QHeaderView::sectionMoved, this,
            [this] { CInPlaceEdit::FollowCell(this); });
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int) { OnUserScroll(); });
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int) { OnUserScroll(); });
}

CEditListCtrl::~CEditListCtrl() {
    CInPlaceEdit::DeleteInstance();
}

int CEditListCtrl::InsertColumn(int index, const std::string& heading, int format, int width,
                                int /*subItem*/) {
    const int at = std::clamp(index, 0, columnCount());
    insertColumn(at);
    auto* header = new QTableWidgetItem(QString::fromStdString(heading));
    header->setTextAlignment(alignmentOf(format));
    setHorizontalHeaderItem(at, header);
    if (width >= 0) {
        setColumnWidth(at, width);
    }
    columnFormats_.insert(columnFormats_.begin() + at, format);
    return at;
}

int CEditListCtrl::InsertItem(int row, const std::string& text) {
    if (row < 0) {
        return -1;
    }
    const int at = std::min(row, rowCount());
    insertRow(at);
    SetItemText(at, 0, text);
    return at;
}

bool CEditListCtrl::SetItemText(int row, int column, const std::string& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) {
        return false;
    }
    QTableWidgetItem* cell = item(row, column);
    if (cell == nullptr) {
        cell = new QTableWidgetItem;
        const auto c = static_cast<std::size_t>(column);
        cell->setTextAlignment(alignmentOf(c < columnFormats_.size() ? columnFormats_[c] : 0));
        setItem(row, column, cell);
    }
    cell->setText(QString::fromStdString(text));
    return true;
}

std::string CEditListCtrl::GetItemText(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell != nullptr ? cell->text().toStdString() : std::string();
}

bool CEditListCtrl::DeleteItem(int row) {
    if (row < 0 || row >= rowCount()) {
        return false;
    }
    removeRow(row);
    return true;
}

bool CEditListCtrl::DeleteSelectedAfterAsking(QWidget* asker, const std::string& question) {
    if (GetSelectionMark() < 0 || !kova::dialogs().question(asker, question)) {
        return false;
    }
    return DeleteItem(GetFirstSelected());
}

void CEditListCtrl::DeleteAllItems() {
    setRowCount(0);
}

int CEditListCtrl::GetSelectionMark() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

int CEditListCtrl::GetFirstSelected() const {
    int first = -1;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        if (first < 0 || index.row() < first) {
            first = index.row();
        }
    }
    return first;
}

void CEditListCtrl::SelectItem(int row) {
    if (row < 0 || row >= rowCount() || columnCount() == 0) {
        return;
    }
    // Selecting does not scroll, as a list item's state change does not.
    const bool autoScroll = hasAutoScroll();
    setAutoScroll(false);
    selectionModel()->setCurrentIndex(
        model()->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    setAutoScroll(autoScroll);
}

void CEditListCtrl::SetExtendedStyle(unsigned styles) {
    extendedStyle_ = styles;
    setShowGrid((styles & GridLines) != 0);
    horizontalHeader()->setSectionsMovable((styles & HeaderDragDrop) != 0);
    setMouseTracking((styles & TrackSelect) != 0);
}

void CEditListCtrl::SetEditLabels(bool on) {
    editLabels_ = on;
    // The list's own label editing starts with F2, as in a report list.
    setEditTriggers(on ? QAbstractItemView::EditKeyPressed : QAbstractItemView::NoEditTriggers);
}

void CEditListCtrl::SetTextColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Text, color);
    setPalette(p);
}

void CEditListCtrl::SetBkColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    setPalette(p);
}

void CEditListCtrl::SetColumnNoEdit(int column, bool blocked) {
    if (blocked) {
        noEditColumns_.insert(column);
    } else {
        noEditColumns_.erase(column);
    }
}

void CEditListCtrl::SetColumnAllowedChars(int column, const std::string& chars) {
    if (column >= 0 && column < kMaxFilterColumns) {
        allowedChars_[static_cast<std::size_t>(column)] = chars;
    }
}

std::vector<int> CEditListCtrl::DisplayWidths() const {
    const QHeaderView* header = horizontalHeader();
    std::vector<int> widths;
    widths.reserve(static_cast<std::size_t>(header->count()));
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        widths.push_back(header->isSectionHidden(logical) ? 0 : header->sectionSize(logical));
    }
    return widths;
}

bool CEditListCtrl::HitTestCell(const QPoint& point, int& row, int& column) const {
    row = rowAt(point.y());
    column = 0;
    if (row < 0) {
        return false;
    }
    const std::vector<int> widths = DisplayWidths();
    const int rowLeft = -horizontalOffset();
    const int rowWidth = std::accumulate(widths.begin(), widths.end(), 0);
    const int top = rowViewportPosition(row);
    if (point.x() < rowLeft || point.x() >= rowLeft + rowWidth || point.y() < top ||
        point.y() >= top + rowHeight(row)) {
        return false;
    }
    const int visual = kova::columnAtX(point.x(), rowLeft, widths);
    if (visual < 0) {
        return false;
    }
    column = horizontalHeader()->logicalIndex(visual);
    return true;
}

QRect CEditListCtrl::CellRect(int row, int column) const {
    return {columnViewportPosition(column), rowViewportPosition(row), columnWidth(column),
            rowHeight(row)};
}

void CEditListCtrl::EditSubLabel(int row, int column) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) {
        return;
    }
    const std::vector<int> widths = DisplayWidths();
    const int visual = horizontalHeader()->visualIndex(column);
    const int clientRight = viewport()->width();
    const int rowLeft = -horizontalOffset();
    const int x = kova::columnLeft(rowLeft, widths, visual);
    const int wanted = kova::scrollToShowColumn(rowLeft, clientRight, widths, visual);
    int scrolled = 0;
    if (wanted != 0) {
        QScrollBar* bar = horizontalScrollBar();
        const int before = bar->value();
        bar->setValue(before + wanted);
        // At the end of its range the list scrolls less than asked; the editor follows the cell.
        scrolled = bar->value() - before;
    }
    const int left = x - scrolled;
    const QRect rect(left, rowViewportPosition(row), columnWidth(column), rowHeight(row));
    const std::string allowed =
        column < kMaxFilterColumns ? allowedChars_[static_cast<std::size_t>(column)] : "";
    CInPlaceEdit::GetInstance()->Begin(rect, this, row, column, allowed, GetItemText(row, column));
}

void CEditListCtrl::OnEndLabelEdit(int row, int column, const std::string& text) {
    SetItemText(row, column, text);
}

void CEditListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    emit areaDoubleClicked();
    QTableWidget::mouseDoubleClickEvent(event);
}

void CEditListCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QTableWidget::mousePressEvent(event);
        return;
    }
    int row = -1;
    int column = 0;
    if (!HitTestCell(event->position().toPoint(), row, column)) {
        event->accept();  // swallowed: no selection, no focus
        return;
    }
    setFocus(Qt::MouseFocusReason);
    QTableWidget::mousePressEvent(event);
    if ((event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) != 0) {
        return;
    }
    if (GetSelectionMark() == row && editLabels_ &&
        (clickEditExcluded_ == -1 || column != clickEditExcluded_)) {
        EditSubLabel(row, column);
    }
}

void CEditListCtrl::mouseMoveEvent(QMouseEvent* event) {
    if ((extendedStyle_ & TrackSelect) != 0 && event->buttons() == Qt::NoButton) {
        const int row = rowAt(event->position().toPoint().y());
        if (row >= 0 && row != GetSelectionMark()) {
            SelectItem(row);
        }
    }
    QTableWidget::mouseMoveEvent(event);
}

bool CEditListCtrl::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (trigger == QAbstractItemView::NoEditTriggers) {
        return QTableWidget::edit(index, trigger, event);  // forwards events to an open editor
    }
    // The list's own editing edits a row's first column, unless that column is blocked.
    if (!editLabels_ || !index.isValid() || IsColumnNoEdit(0)) {
        return false;
    }
    return QTableWidget::edit(index.siblingAtColumn(0), trigger, event);
}

void CEditListCtrl::changeEvent(QEvent* event) {
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        // The header takes the list's font, as a list view hands a new font to its header; Qt's
        // own propagation misses the header of a list whose columns overflow it.
        horizontalHeader()->setFont(font());
        UpdateRowHeight();
        CInPlaceEdit::FollowCell(this);
    }
}

void CEditListCtrl::updateGeometries() {
    QTableWidget::updateGeometries();
    // Where the view places its header and scroll range again (a resize, a new font), the rows
    // may start elsewhere without any scroll.
    CInPlaceEdit::FollowCell(this);
}

void CEditListCtrl::scrollContentsBy(int dx, int dy) {
    QTableWidget::scrollContentsBy(dx, dy);
    // The view carries its viewport's children by the scroll, measured in the rows' heights before
    // a new font or size changed them: the editor goes back onto its cell.
    CInPlaceEdit::FollowCell(this);
}

void CEditListCtrl::UpdateRowHeight() {
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}

void CEditListCtrl::OnUserScroll() {
    // Taking the focus ends an open edit, which keeps its text.
    if (!hasFocus()) {
        setFocus(Qt::OtherFocusReason);
    }
}
