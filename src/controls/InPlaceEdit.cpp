#include "controls/InPlaceEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QString>

#include "controls/EditListCtrl.h"
#include "controls/logic/CellEditGeometry.h"

namespace {

CInPlaceEdit* sharedEditor = nullptr;

}  // namespace

class CInPlaceEdit::EditWindow final : public QLineEdit {
  public:
    EditWindow(CInPlaceEdit* owner, QWidget* parent) : QLineEdit(parent), owner_(owner) {
        setFrame(false);
    }

    void Disown() { owner_ = nullptr; }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        const int key = event->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            // Ending keys stay here: they must not reach the list or its window.
            if (owner_ != nullptr) {
                owner_->OnEndKey(key == Qt::Key_Escape);
            }
            event->accept();
            return;
        }
        if (owner_ != nullptr && !Accepts(*event)) {
            QApplication::beep();
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }

    void focusOutEvent(QFocusEvent* event) override {
        QLineEdit::focusOutEvent(event);
        // The editor's own context menu takes the focus only for a moment.
        if (event->reason() != Qt::PopupFocusReason && owner_ != nullptr) {
            owner_->OnFocusLost();
        }
    }

  private:
    // Only keys that type a character are filtered; clipboard shortcuts always pass.
    bool Accepts(const QKeyEvent& event) const {
        const QString text = event.text();
        if (text.isEmpty() || event.key() == Qt::Key_Delete) {
            return true;
        }
        if ((event.modifiers() & Qt::ControlModifier) != 0 &&
            (event.key() == Qt::Key_C || event.key() == Qt::Key_V || event.key() == Qt::Key_X)) {
            return true;
        }
        const std::u32string typed = text.toStdU32String();
        for (const char32_t c : typed) {
            if (!kova::isEditCharAllowed(c, owner_->allowed_)) {
                return false;
            }
        }
        return true;
    }

    CInPlaceEdit* owner_;
};

CInPlaceEdit* CInPlaceEdit::GetInstance() {
    if (sharedEditor == nullptr) {
        sharedEditor = new CInPlaceEdit;
    }
    return sharedEditor;
}

void CInPlaceEdit::DeleteInstance() {
    delete sharedEditor;
    sharedEditor = nullptr;
}

CInPlaceEdit::~CInPlaceEdit() {
    if (EditWindow* window = window_.data()) {
        window->Disown();
        delete window;
    }
}

void CInPlaceEdit::FollowCell(const CEditListCtrl* list) {
    if (sharedEditor == nullptr || list == nullptr || sharedEditor->list_.data() != list) {
        return;
    }
    if (EditWindow* window = sharedEditor->window_.data()) {
        window->setGeometry(list->CellRect(sharedEditor->row_, sharedEditor->column_));
    }
}

QLineEdit* CInPlaceEdit::Window() const {
    return window_.data();
}

void CInPlaceEdit::Begin(const QRect& rect, CEditListCtrl* list, int row, int column,
                         const std::string& allowedChars, const std::string& text) {
    // An edit still open (opened without the focus moving) ends first, so that its text goes to
    // its own cell and the new editor covers the new one.
    OnFocusLost();
    row_ = row;
    column_ = column;
    allowed_ = QString::fromStdString(allowedChars).toStdU32String();
    initialText_ = text;
    cancelled_ = false;
    if (list == nullptr) {
        return;
    }
    list_ = list;
    auto* window = new EditWindow(this, list->viewport());
    window_ = window;
    window->setGeometry(rect);
    window->setFont(list->font());
    window->show();
    window->setText(QString::fromStdString(text));
    window->selectAll();
    window->setFocus(Qt::OtherFocusReason);
}

void CInPlaceEdit::OnEndKey(bool cancel) {
    if (cancel) {
        cancelled_ = true;
    }
    if (CEditListCtrl* list = list_.data()) {
        list->setFocus(Qt::OtherFocusReason);
    }
}

void CInPlaceEdit::OnFocusLost() {
    EditWindow* window = window_.data();
    if (window == nullptr) {
        return;
    }
    const std::string text = window->text().toStdString();
    window_.clear();
    if (CEditListCtrl* list = list_.data()) {
        list->OnEndLabelEdit(row_, column_, cancelled_ ? initialText_ : text);
    }
    // Closed now, deleted once its focus-out handling has returned; the next edit opens a new one.
    window->Disown();
    window->hide();
    window->deleteLater();
}
