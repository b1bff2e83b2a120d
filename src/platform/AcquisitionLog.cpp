#include "platform/AcquisitionLog.h"

#include <fcntl.h>

#include "platform/TextCodec.h"

namespace kova {

bool AcquisitionLog::open(const std::filesystem::path& file) {
    // Each write goes straight to the file: there is no buffer to flush or to lose in a crash.
    fd_ = FileDescriptor(::open(file.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
    return isOpen();
}

void AcquisitionLog::write(std::string_view utf8) const {
    if (isOpen()) {
        writeAll(fd_.get(), utf8ToGbk(utf8));
    }
}

}  // namespace kova
