// The reference host's message-box watcher, with what message checks in tests need: the matchers
// (IsEmpty, SizeIs) and a printer that shows the messages a failed check saw.
#pragma once

#include <ostream>

#include <gmock/gmock.h>

#include "message_boxes.h"

namespace refhost {
// `"title": "text"`.
void PrintTo(const ShownMessage& message, std::ostream* out);
} // namespace refhost

using refhost::MessageBoxWatcher;
using refhost::ShownMessage;
