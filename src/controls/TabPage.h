#pragma once
// TabPage: a page of the main window's tab sheet. It lies on the page area the main window
// publishes, following it on a 50 ms timer; it keeps its controls in proportion when it changes
// size; and it keeps Enter and Escape (PageKeys.h) from reaching the main window.

#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>

class CMoveControl;
class QTimer;

namespace kova {

class TabPage : public QWidget {
  public:
    static constexpr int kPlaceTimerMs = 50;

    // The page area's screen rectangle as the main window last published it.
    using PageAreaSource = std::function<QRect()>;

    ~TabPage() override;

    // Moves the page onto the page area and repaints it; an empty area, as before the main
    // window's first tick, leaves it where it is. The place timer's tick.
    void FollowPageArea();

    const QTimer* placeTimer() const { return placeTimer_; }

  protected:
    TabPage(PageAreaSource pageArea, QWidget* parent);

    // Records the controls as built: from now on a new size moves them in proportion.
    void AttachLayout();
    // Lays the controls out for the page's size now, then AfterLayout.
    void Relayout();
    // The layout gives every control the dialog font; a page puts its own fonts back here.
    virtual void AfterLayout() {}
    // Starts the place timer.
    void StartFollowingPageArea();

    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    PageAreaSource pageArea_;
    std::unique_ptr<CMoveControl> layout_;
    QTimer* placeTimer_ = nullptr;
};

}  // namespace kova
