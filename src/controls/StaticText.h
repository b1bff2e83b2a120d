#pragma once
// CStaticText: a label of a window template that keeps its text inside its rectangle. The
// templates size their labels for the station computer's 宋体; where the font at hand is wider,
// the text is condensed just enough to fit instead of being cut or running into the next control.

#include <QLabel>

class CStaticText : public QLabel {
    Q_OBJECT

  public:
    CStaticText(const QString& text, QWidget* parent);

  protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Fit();

    bool fitting_ = false;
};
