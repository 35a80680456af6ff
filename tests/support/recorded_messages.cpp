#include "recorded_messages.h"

#include "message_box.h"

namespace {

std::vector<ShownMessage> g_recorded;
MessageSink g_previous = nullptr;

void Record(const char* title, const char* text) { g_recorded.push_back({title, text}); }

} // namespace

RecordedMessages::RecordedMessages()
{
    g_recorded.clear();
    g_previous = SetMessageSink(Record);
}

RecordedMessages::~RecordedMessages() { SetMessageSink(g_previous); }

std::vector<ShownMessage> RecordedMessages::Take()
{
    std::vector<ShownMessage> out;
    out.swap(g_recorded);
    return out;
}
