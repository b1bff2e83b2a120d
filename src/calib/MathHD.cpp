#include "calib/MathHD.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>

namespace kova {

void MathHD::SetLength(std::int32_t n) {
    filled_ = 0;
    length_ = n;
    if (n <= 0) {
        return;
    }
    buffer_.reset();
    // Zeroed by the allocator, so a length set absurdly high by hand in Calib.ini costs address
    // space rather than time; when even that is refused the window simply never fills.
    const std::size_t entries = static_cast<std::size_t>(n) + 10;
    buffer_.reset(static_cast<float*>(std::calloc(entries, sizeof(float))));
}

void MathHD::Add(float x) {
    if (length_ <= 0 || !buffer_) {
        return;
    }
    if (filled_ < length_) {
        buffer_[filled_++] = x;
        return;
    }
    std::copy(buffer_.get() + 1, buffer_.get() + length_, buffer_.get());
    buffer_[length_ - 1] = x;
}

std::int32_t MathHD::GetAverage(float& out) const {
    if (length_ <= 0) {
        return 1;
    }
    if (filled_ < length_ || !buffer_) {
        return 0;
    }
    float sum = 0.0f;
    for (std::int32_t i = 0; i < length_; ++i) {
        sum += buffer_[i];
    }
    out = sum / static_cast<float>(length_);
    return 1;
}

void MathHD::FreeBuffer::operator()(float* p) const {
    std::free(p);
}

void MathHD::Free() {
    if (length_ > 0) {
        buffer_.reset();
    }
}

}  // namespace kova
