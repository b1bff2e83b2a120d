#include "controls/memdc.h"

#include <QPaintDevice>

namespace {

qreal ratioOf(const QPainter& target) {
    const QPaintDevice* device = target.device();
    return device != nullptr ? device->devicePixelRatio() : 1.0;
}

}  // namespace

CMemDC::CMemDC(QPainter& target, const QRect& rect)
    : target_(target), rect_(rect), image_(rect.size() * ratioOf(target), QImage::Format_RGB32) {
    image_.setDevicePixelRatio(ratioOf(target));
    painter_.begin(&image_);
    painter_.translate(-rect_.topLeft());
}

CMemDC::~CMemDC() {
    painter_.end();
    target_.drawImage(rect_.topLeft(), image_);
}
