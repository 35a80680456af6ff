#include "message_answers.h"

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include <windows.h>

namespace {

std::mutex gMutex;
std::vector<std::string> gAnswered;
std::atomic<bool> gStop{false};
std::thread gThread;

BOOL CALLBACK CollectBox(HWND window, LPARAM boxes)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char windowClass[32] = {};
    GetClassNameA(window, windowClass, sizeof windowClass);
    if (process == GetCurrentProcessId() && std::string(windowClass) == "#32770" && IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(boxes)->push_back(window);
    return TRUE;
}

BOOL CALLBACK FirstStaticText(HWND child, LPARAM text)
{
    char windowClass[32] = {}, words[1024] = {};
    GetClassNameA(child, windowClass, sizeof windowClass);
    GetWindowTextA(child, words, sizeof words);
    auto* found = reinterpret_cast<std::string*>(text);
    if (std::string(windowClass) == "Static" && words[0] && found->empty())
        *found = words;
    return TRUE;
}

void Answer()
{
    std::set<HWND> answered;
    while (!gStop) {
        std::vector<HWND> boxes;
        EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&boxes));
        for (HWND box : boxes) {
            if (!answered.insert(box).second)
                continue;
            char title[256] = {};
            GetWindowTextA(box, title, sizeof title);
            std::string text;
            EnumChildWindows(box, FirstStaticText, reinterpret_cast<LPARAM>(&text));
            {
                std::lock_guard lock(gMutex);
                gAnswered.push_back(std::string(title) + ": " + text);
            }
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        for (auto it = answered.begin(); it != answered.end();)
            it = IsWindow(*it) ? std::next(it) : answered.erase(it);
        Sleep(2);
    }
}

} // namespace

void StartAnsweringMessages()
{
    gStop = false;
    gThread = std::thread(Answer);
}

void StopAnsweringMessages()
{
    gStop = true;
    if (gThread.joinable())
        gThread.join();
}

std::vector<std::string> TakeAnsweredMessages()
{
    std::lock_guard lock(gMutex);
    std::vector<std::string> taken;
    taken.swap(gAnswered);
    return taken;
}
