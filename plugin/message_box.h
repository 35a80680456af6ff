// The plugin's one error channel: a modal message box with a title and a text.
#pragma once

using MessageSink = void (*)(const char* title, const char* text);

// Shows the message through the current sink (the real modal box unless a test replaced it).
void ShowMessage(const char* title, const char* text);

// Replaces the sink and returns the previous one; pass ShowModalMessageBox to restore the real box.
MessageSink SetMessageSink(MessageSink sink);

// The real box: returns when the user has closed it.
void ShowModalMessageBox(const char* title, const char* text);
