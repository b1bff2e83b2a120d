#include "controls/WriteFailure.h"

#include <cstdio>

#include "controls/Dialogs.h"
#include "platform/AcquisitionLog.h"

namespace kova {

std::string writeFailureAdvice(IniWriteError error) {
    switch (error) {
        case IniWriteError::ReadOnly:
            return "文件只读。请去掉配置文件的只读属性，或检查其所在目录的写入权限，然后重新保存。";
        case IniWriteError::DiskFull:
            return "磁盘已满。请清理磁盘空间后重新保存。";
        case IniWriteError::NoDirectory:
            return "目录不存在。请检查配置目录是否存在、系统配置是否正确，然后重新保存。";
        case IniWriteError::BadText:
            return "数据中含有无法保存的字符（如换行符、生僻字或特殊符号）。请修改后重新保存。";
        case IniWriteError::None:
        case IniWriteError::Other:
            break;
    }
    return "文件无法写入。请检查配置文件及其所在目录后重新保存。";
}

void reportWriteFailure(QWidget* parent, std::string_view failed, IniWriteError error,
                        std::string_view detail, std::string_view caption,
                        const AcquisitionLog* log) {
    const std::string line = "save failed: " + std::string(detail);
    std::fprintf(stderr, "Calib: %s\n", line.c_str());
    if (log != nullptr) {
        log->write(line + "\r\n");
    }
    dialogs().message(parent, std::string(failed) + writeFailureAdvice(error), std::string(caption),
                      MessageIcon::Error);
}

}  // namespace kova
