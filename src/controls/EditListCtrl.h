#pragma once
// CEditListCtrl: a report list (rows and columns under a header) whose cells are edited in place
// by the one shared CInPlaceEdit. A click on a cell of the focused row opens the editor exactly
// over the cell; Enter, Escape or leaving the editor ends the edit.
//
// Whether a list edits at all is its edit-labels switch (off by default, as a list whose layout
// lacks the style); without it the list is a plain report list.

#include <QTableWidget>
#include <array>
#include <set>
#include <string>
#include <vector>

namespace kova {
// What a list asks before it deletes a row for the technician.
inline constexpr const char* kDeleteRowQuestion = "确实要删除该项？";
}  // namespace kova

class CEditListCtrl : public QTableWidget {
    Q_OBJECT

  public:
    // Extended styles, with the values of the list view's flags.
    enum ExtendedStyle : unsigned {
        GridLines = 0x01,
        TrackSelect = 0x08,  // hovering selects the row under the pointer
        HeaderDragDrop = 0x10,
        FullRowSelect = 0x20,
    };
    // Column text alignment, with the values of the list view's column formats.
    enum ColumnFormat : int { FormatLeft = 0, FormatRight = 1, FormatCenter = 2 };

    static constexpr int kMaxFilterColumns = 100;

    explicit CEditListCtrl(QWidget* parent = nullptr);
    ~CEditListCtrl() override;

    // Report list operations.
    int InsertColumn(int index, const std::string& heading, int format = FormatLeft,
                     int width = 100, int subItem = -1);
    // Inserts a row (appended when row is past the end); its index, or -1 when row < 0.
    int InsertItem(int row, const std::string& text);
    bool SetItemText(int row, int column, const std::string& text);
    std::string GetItemText(int row, int column) const;
    int GetItemCount() const { return rowCount(); }
    bool DeleteItem(int row);
    void DeleteAllItems();
    // The focused row, -1 when none.
    int GetSelectionMark() const;
    // The first selected row, -1 when none.
    int GetFirstSelected() const;
    // Selects row alone and gives it the focus state.
    void SelectItem(int row);
    // Asks `asker`'s question and, on a yes, deletes the first selected row; nothing is asked
    // while no row has the focus. True when a row went.
    bool DeleteSelectedAfterAsking(QWidget* asker,
                                   const std::string& question = kova::kDeleteRowQuestion);

    void SetExtendedStyle(unsigned styles);
    unsigned GetExtendedStyle() const { return extendedStyle_; }
    void SetEditLabels(bool on);
    bool HasEditLabels() const { return editLabels_; }
    void SetTextColor(const QColor& color);
    void SetBkColor(const QColor& color);

    // In-place editing.
    void SetColumnNoEdit(int column, bool blocked);
    bool IsColumnNoEdit(int column) const { return noEditColumns_.count(column) != 0; }
    void SetClickEditExcluded(int column) { clickEditExcluded_ = column; }
    int GetClickEditExcluded() const { return clickEditExcluded_; }
    // Characters the editor accepts in a column (UTF-8; empty accepts all). Columns 0-99.
    void SetColumnAllowedChars(int column, const std::string& chars);

    // Row and column of the cell under a point of the viewport; false when none.
    bool HitTestCell(const QPoint& point, int& row, int& column) const;
    // The cell's rectangle in viewport coordinates, wherever the header shows its column.
    QRect CellRect(int row, int column) const;
    // Scrolls the cell's column into view and opens the shared editor over the cell.
    void EditSubLabel(int row, int column);
    // The editor's end-of-edit notification: the cell takes the text.
    void OnEndLabelEdit(int row, int column, const std::string& text);

  signals:
    // A double click anywhere on the rows' area, also below the last row; sent before the list
    // handles the click itself.
    void areaDoubleClicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    // Column widths in display order (the header can reorder them) and their logical indexes.
    std::vector<int> DisplayWidths() const;
    void OnUserScroll();
    void UpdateRowHeight();

    std::set<int> noEditColumns_;
    int clickEditExcluded_ = -1;
    std::array<std::string, kMaxFilterColumns> allowedChars_;
    std::vector<int> columnFormats_;
    unsigned extendedStyle_ = 0;
    bool editLabels_ = false;
};
