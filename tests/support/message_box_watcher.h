// Watches this process for message boxes, records each one's title and text and presses its OK
// button, so that code showing the real modal box can run in a test without blocking it.
#pragma once

#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <atomic>
#include <vector>

#include <gmock/gmock.h> // the matchers that message checks use: IsEmpty, SizeIs

struct ShownMessage {
    std::string title;
    std::string text;
    bool operator==(const ShownMessage&) const = default;
};

// `"title": "text"`, so that a failed message check shows the messages it saw.
void PrintTo(const ShownMessage& message, std::ostream* out);

class MessageBoxWatcher {
public:
    MessageBoxWatcher();
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // The messages closed since the last call, oldest first.
    std::vector<ShownMessage> Take();

private:
    void Watch();

    std::mutex mutex_;
    std::vector<ShownMessage> seen_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
