#include "command_set.h"

#include "message_box.h"
#include "render_queue.h"

GeoInstRecord* CommandSet(int handle, const char* title)
{
    GeoInstRecord* set = FindInstanceSet(handle);
    if (!set)
        ShowMessage(title, kNoSuchSetText);
    return set;
}
