#pragma once
// CInPlaceEdit: the one borderless single-line editor that every CEditListCtrl opens over a cell.
// The object lives from its first use until a list is destroyed; its window exists only while an
// edit is open.

#include <QPointer>
#include <QRect>
#include <string>

class CEditListCtrl;
class QLineEdit;

class CInPlaceEdit {
  public:
    static CInPlaceEdit* GetInstance();
    // Deletes the shared editor (and an open editor window with it, without ending the edit).
    static void DeleteInstance();

    // Ends an edit still open, stores the cell, its allowed characters (UTF-8) and its text,
    // clears the cancelled flag and opens the editor over rect (the list viewport's coordinates).
    void Begin(const QRect& rect, CEditListCtrl* list, int row, int column,
               const std::string& allowedChars, const std::string& text);

    // Moves an editor open over a cell of list back onto that cell, after the list moved its
    // cells (a column resized or dragged, a new font, the list resized); nothing when no edit is
    // open there.
    static void FollowCell(const CEditListCtrl* list);

    bool IsOpen() const { return !window_.isNull(); }
    // The editor window while an edit is open.
    QLineEdit* Window() const;
    int Row() const { return row_; }
    int Column() const { return column_; }
    bool Cancelled() const { return cancelled_; }

  private:
    class EditWindow;
    friend class EditWindow;

    CInPlaceEdit() = default;
    ~CInPlaceEdit();
    CInPlaceEdit(const CInPlaceEdit&) = delete;
    CInPlaceEdit& operator=(const CInPlaceEdit&) = delete;

    void OnEndKey(bool cancel);
    void OnFocusLost();

    QPointer<EditWindow> window_;
    QPointer<CEditListCtrl> list_;
    int row_ = -1;
    int column_ = -1;
    bool cancelled_ = false;
    std::u32string allowed_;
    std::string initialText_;
};
