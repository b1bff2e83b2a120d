#pragma once
// MathHD: the sliding average over the last n burst averages of a sampling window.

#include <cstdint>
#include <memory>

namespace kova {

class MathHD {
  public:
    MathHD() = default;
    MathHD(const MathHD&) = delete;
    MathHD& operator=(const MathHD&) = delete;

    // Restarts the window with length n. For n > 0 the buffer is replaced by a new one of n + 10
    // entries, the first n zeroed; for n <= 0 the average is off and the buffer stays.
    void SetLength(std::int32_t n);

    // Appends x; once the window is full the oldest value drops out. Does nothing while the
    // average is off or has no buffer.
    void Add(float x);

    // 1 with `out` untouched while the average is off; 0 (not ready, `out` untouched) until n
    // values are held or while there is no buffer; otherwise 1 with the mean of the window, summed
    // oldest first in single precision.
    std::int32_t GetAverage(float& out) const;

    // Releases the buffer; length and fill stay until the next SetLength.
    void Free();

    std::int32_t length() const { return length_; }
    std::int32_t filled() const { return filled_; }
    bool hasBuffer() const { return buffer_ != nullptr; }

  private:
    struct FreeBuffer {
        void operator()(float* p) const;
    };
    std::unique_ptr<float[], FreeBuffer> buffer_;
    std::int32_t filled_ = 0;
    std::int32_t length_ = 0;
};

}  // namespace kova
