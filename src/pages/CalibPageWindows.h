#pragma once
// The two windows the calibration page opens: the calibration check window, run modally for the
// page's channel, and the digital channel test, which the page owns from its opening on.

class Dialog_Digit;
class Dialog_Tdcab;

namespace kova {

struct Runtime;

// Creates the page's digital channel test (hidden, its outputs low, polling) as a child of the
// page, so it goes with the page, and connects "标定校验..." and "数字通道测试...". Returns the
// digital channel test.
Dialog_Digit* connectPageWindows(Dialog_Tdcab& page, Runtime& rt);

}  // namespace kova
