#include "calib/SampleBuffer.h"

namespace kova {

SampleBuffer& sharedSampleBuffer() {
    static SampleBuffer buffer;
    return buffer;
}

}  // namespace kova
