#include "command_set.h"

#include "message_box.h"

void ShowNoSuchSet(const char* title) { ShowMessage(title, kNoSuchSetText); }
