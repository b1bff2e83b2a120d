#pragma once
// Finding a titled window of another process and sending (waiting for its result) or posting it
// a message, over the sockets of WindowDirectory.h. Needs no event loop: sibling programs send
// from any thread. Titles are UTF-8 and compare without regard to ASCII case.
//
// A send from the thread that serves the receiving window waits out its bound: that thread cannot
// answer while it waits.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WindowFrame.h"

namespace kova {

inline constexpr std::chrono::milliseconds kDefaultSendBound{2000};

struct SendResult {
    bool delivered = false;  // send: answered; post: handed over whole
    std::int64_t result = 0;
    std::string error;  // why not, when not delivered
};

// Sends to the first window with this title (in socket name order) that accepts the connection
// and waits for its result, never longer than `bound` in all. A window that does not answer in
// time counts as not there.
SendResult sendWindowMessage(std::string_view title, WindowMessage message,
                             std::chrono::milliseconds bound = kDefaultSendBound);

// Hands the message over without waiting for it to be handled.
SendResult postWindowMessage(std::string_view title, WindowMessage message,
                             std::chrono::milliseconds bound = kDefaultSendBound);

bool windowExists(std::string_view title);

struct WindowEntry {
    std::string title;  // as its key gives it: ASCII letters in lower case; a long title's first
                        // 100 bytes only
    long pid = 0;
};

// The windows present (stale sockets removed), in socket name order.
std::vector<WindowEntry> listWindows();

}  // namespace kova
