#pragma once
// An off-screen image a control paints into; its content reaches the screen in one transfer
// when the object goes out of scope, so a half-drawn state is never visible.

#include <QImage>
#include <QPainter>
#include <QRect>

class CMemDC {
  public:
    // The buffer covers rect of the target's device.
    CMemDC(QPainter& target, const QRect& rect);
    ~CMemDC();
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    QPainter& painter() { return painter_; }
    QImage& image() { return image_; }

  private:
    QPainter& target_;
    QRect rect_;
    QImage image_;
    QPainter painter_;
};
