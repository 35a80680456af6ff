#include "message_box.h"

#include <vector>

#include <windows.h>

namespace {

MessageSink g_sink = ShowModalMessageBox;

// A visible top-level window of this thread, and what was changed on it to make the box modal.
struct SuspendedWindow {
    HWND window;
    bool wasTopmost;
    bool wasDisabled;
};

struct WindowList {
    std::vector<SuspendedWindow> windows;
    bool complete = true; // false when memory for the list ran out
};

// Nothing may be thrown through the system's enumeration: a list that cannot grow stops it.
BOOL CALLBACK CollectThreadWindow(HWND window, LPARAM param)
{
    auto* list = reinterpret_cast<WindowList*>(param);
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId() || !IsWindowVisible(window))
        return TRUE;
    try {
        list->windows.push_back({window, false, false});
        return TRUE;
    } catch (...) {
        list->complete = false;
        return FALSE;
    }
}

} // namespace

void ShowMessage(const char* title, const char* text) { g_sink(title, text); }

MessageSink SetMessageSink(MessageSink sink)
{
    MessageSink previous = g_sink;
    g_sink = sink ? sink : ShowModalMessageBox;
    return previous;
}

void ShowModalMessageBox(const char* title, const char* text)
{
    HWND foreground = GetForegroundWindow();
    DWORD foregroundProcess = 0;
    if (foreground)
        GetWindowThreadProcessId(foreground, &foregroundProcess);
    HWND owner = foregroundProcess == GetCurrentProcessId() ? foreground : nullptr;

    // The host's own windows must neither cover the box (topmost) nor take input while it is up.
    // Without memory for their list the box is still shown, modal to its owner alone (the box
    // disables its owner itself), and nothing else is touched.
    WindowList list;
    EnumWindows(CollectThreadWindow, reinterpret_cast<LPARAM>(&list));
    if (!list.complete) {
        MessageBoxA(owner, text, title, MB_OK);
        return;
    }
    std::vector<SuspendedWindow>& windows = list.windows;
    for (SuspendedWindow& w : windows) {
        if (GetWindowLongA(w.window, GWL_EXSTYLE) & WS_EX_TOPMOST) {
            SetWindowPos(w.window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            w.wasTopmost = true;
        }
        if (IsWindowEnabled(w.window) && w.window != foreground) {
            EnableWindow(w.window, FALSE);
            w.wasDisabled = true;
        }
    }

    MessageBoxA(owner, text, title, MB_OK);

    for (const SuspendedWindow& w : windows) {
        if (w.wasDisabled)
            EnableWindow(w.window, TRUE);
        if (w.wasTopmost)
            SetWindowPos(w.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}
