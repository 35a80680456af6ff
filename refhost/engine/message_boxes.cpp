#include "message_boxes.h"

#include <set>

#include <windows.h>

namespace refhost {

namespace {

struct Search {
    DWORD process;
    std::vector<HWND> boxes;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (process == search->process && std::string(cls) == "#32770" && IsWindowVisible(window))
        search->boxes.push_back(window);
    return TRUE;
}

BOOL CALLBACK FindText(HWND child, LPARAM param)
{
    auto* text = reinterpret_cast<std::string*>(param);
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (std::string(cls) == "Static") {
        char buf[1024] = {};
        GetWindowTextA(child, buf, sizeof buf);
        if (buf[0] && text->empty())
            *text = buf;
    }
    return TRUE;
}

} // namespace

MessageBoxWatcher::MessageBoxWatcher() : thread_([this] { Watch(); }) {}

MessageBoxWatcher::~MessageBoxWatcher()
{
    stop_ = true;
    thread_.join();
}

std::vector<ShownMessage> MessageBoxWatcher::Take()
{
    std::lock_guard lock(mutex_);
    std::vector<ShownMessage> out;
    out.swap(seen_);
    return out;
}

void MessageBoxWatcher::Watch()
{
    std::set<HWND> answered;
    while (!stop_) {
        Search search{GetCurrentProcessId(), {}};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        for (HWND box : search.boxes) {
            if (answered.count(box))
                continue;
            char title[256] = {};
            GetWindowTextA(box, title, sizeof title);
            std::string text;
            EnumChildWindows(box, FindText, reinterpret_cast<LPARAM>(&text));
            {
                std::lock_guard lock(mutex_);
                seen_.push_back({title, text});
            }
            answered.insert(box);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        for (auto it = answered.begin(); it != answered.end();)
            it = IsWindow(*it) ? std::next(it) : answered.erase(it);
        Sleep(2);
    }
}

} // namespace refhost
