// The built plugin loaded into the reference host with its allocations counted and failable
// (plugin_heap.h), its message boxes recorded instead of shown, and the setup library's
// display-mode function unbound, so D3DDeviceLost empties its collections.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

#include "plugin_loader.h"

struct RecordedBox {
    HWND owner;
    std::string title;
    std::string text;
};

// Every box the plugin showed since the last call, oldest first.
std::vector<RecordedBox> TakeRecordedBoxes();

// Loads Ryxo.dll so; false (with the reason in `error`) when it cannot be loaded.
bool LoadPluginUnderSeam(refhost::LoadedPlugin& plugin, std::string& error);

// A visible top-level window of the calling thread, as the host has: every message box the plugin
// shows then lists the windows it disables, which takes memory.
class VisibleThreadWindow {
public:
    VisibleThreadWindow();
    ~VisibleThreadWindow();
    VisibleThreadWindow(const VisibleThreadWindow&) = delete;
    VisibleThreadWindow& operator=(const VisibleThreadWindow&) = delete;
    HWND Get() const { return window_; }

private:
    HWND window_;
};
