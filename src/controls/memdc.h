#pragma once
// An off-screen image a control paints into; its content reaches the screen in one transfer
// when the object goes out of scope, so a half-drawn state is never visible.

#include <QImage>
#include <QPainter>
#include <QRect>

class CMemDC {
  public:
    // The buffer covers rect of the target's device, in that device's own pixels: on a scaled
    // screen it holds ratio x ratio pixels per unit and the painter still draws in units.
    CMemDC(QPainter& target, const QRect& rect);
    ~CMemDC();
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    QPainter& painter() { return painter_; }
    QImage& image() { return image_; }
    // Device pixels per unit of the target.
    qreal ratio() const { return image_.devicePixelRatio(); }

  private:
    QPainter& target_;
    QRect rect_;
    QImage image_;
    QPainter painter_;
};
