// For unit tests, which link the plugin's code: replaces the message sink for its lifetime and
// records every (title, text) shown through it.
#pragma once

#include <vector>

#include "message_box_watcher.h"

class RecordedMessages {
public:
    RecordedMessages();
    ~RecordedMessages();
    RecordedMessages(const RecordedMessages&) = delete;
    RecordedMessages& operator=(const RecordedMessages&) = delete;

    // The messages shown since the last call, oldest first.
    std::vector<ShownMessage> Take();
};
