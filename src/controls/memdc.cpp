#include "controls/memdc.h"

CMemDC::CMemDC(QPainter& target, const QRect& rect)
    : target_(target), rect_(rect), image_(rect.size(), QImage::Format_RGB32) {
    painter_.begin(&image_);
    painter_.translate(-rect_.topLeft());
}

CMemDC::~CMemDC() {
    painter_.end();
    target_.drawImage(rect_.topLeft(), image_);
}
