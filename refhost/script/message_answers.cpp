#include "message_answers.h"

#include <optional>

#include "message_boxes.h"

namespace {

std::optional<refhost::MessageBoxWatcher> gWatcher;

} // namespace

void StartAnsweringMessages() { gWatcher.emplace(); }

void StopAnsweringMessages() { gWatcher.reset(); }

std::vector<std::string> TakeAnsweredMessages()
{
    std::vector<std::string> taken;
    if (gWatcher)
        for (const refhost::ShownMessage& message : gWatcher->Take())
            taken.push_back(message.title + ": " + message.text);
    return taken;
}
