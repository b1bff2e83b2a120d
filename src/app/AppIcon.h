#pragma once
// The application icon (the tool's icon resource 128), drawn once in code.

#include <QIcon>

namespace kova {

QIcon applicationIcon();

}  // namespace kova
