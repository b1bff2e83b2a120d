#pragma once
// The start-up password box: the line's password-box component, loaded for the one question and
// released again at once.

#include <string>

#include "dialogs/logic/LoginRecord.h"

class QWidget;

namespace kova {

// Loads the component at `componentPath` (UTF-8, Windows-style or host), lets it run its box on
// `record` and unloads it. 1 = passed; 0 = refused (the record's status becomes kLoginRefused)
// or the component missing (reported in a message box over `parent`). A box that throws or
// faults counts as refused; a component without ExtDoModal as passed.
int RunStartupPasswordBox(LoginRecord& record, const std::string& componentPath,
                          QWidget* parent = nullptr);

}  // namespace kova
