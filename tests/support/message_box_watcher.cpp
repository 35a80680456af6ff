#include "message_box_watcher.h"

#include <iomanip>

namespace refhost {

void PrintTo(const ShownMessage& message, std::ostream* out)
{
    *out << std::quoted(message.title) << ": " << std::quoted(message.text);
}

} // namespace refhost
