#pragma once
// The icon of a message box, as the Windows message-box kinds name them. Apart from the dialogs
// themselves so that the pure rules deciding a message need no window code.

namespace kova {

enum class MessageIcon {
    None,
    Information,  // asterisk / information
    Exclamation,  // exclamation / warning
    Error,        // hand / stop / error
    Question,
};

}  // namespace kova
