#pragma once
// What a window tells the technician when a save did not reach its file: the page's own words
// for what failed, then one Chinese sentence for the kind of failure that says what to do. The
// technical detail never goes into the box; it goes to standard error and the acquisition log.

#include <string>
#include <string_view>

#include "platform/IniEdit.h"

class QWidget;

namespace kova {

class AcquisitionLog;

// The sentence for a kind of failure, in the technician's language.
std::string writeFailureAdvice(IniWriteError error);

// Shows `failed` followed by the advice in an error box over `parent`; writes `detail` to standard
// error and, when `log` is open, to the acquisition log.
void reportWriteFailure(QWidget* parent, std::string_view failed, IniWriteError error,
                        std::string_view detail, std::string_view caption,
                        const AcquisitionLog* log = nullptr);

}  // namespace kova
