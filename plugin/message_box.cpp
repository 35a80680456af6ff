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

BOOL CALLBACK CollectThreadWindow(HWND window, LPARAM param)
{
    auto* windows = reinterpret_cast<std::vector<SuspendedWindow>*>(param);
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId() && IsWindowVisible(window))
        windows->push_back({window, false, false});
    return TRUE;
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
    std::vector<SuspendedWindow> windows;
    EnumWindows(CollectThreadWindow, reinterpret_cast<LPARAM>(&windows));
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
