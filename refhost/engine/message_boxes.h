// Watches this process for message boxes, records each one's title and text and presses its OK
// button, so that code showing the real modal box can run in a test, or in the demo, without
// holding it until it times out.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ref_host.h"

namespace refhost {

struct ShownMessage {
    std::string title;
    std::string text;
    bool operator==(const ShownMessage&) const = default;
};

class REFHOST_API MessageBoxWatcher {
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

} // namespace refhost
