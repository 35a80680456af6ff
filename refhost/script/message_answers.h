// Ryxo shows what goes wrong in modal message boxes, which would hold the demo until its test
// timed out. While the demo runs, a thread answers every message box of the process and keeps its
// title and text, so that the scene that caused it fails at once, saying what was shown.
#pragma once

#include <string>
#include <vector>

void StartAnsweringMessages();
void StopAnsweringMessages();
// "title: text" of each box answered since the last call, oldest first.
std::vector<std::string> TakeAnsweredMessages();
