#include "plugin_under_seam.h"

#include "import_redirect.h"
#include "plugin_heap.h"
#include "setup_library_unbound.h"

namespace {

std::vector<RecordedBox>& Boxes()
{
    static std::vector<RecordedBox> boxes;
    return boxes;
}

int WINAPI RecordMessageBox(HWND owner, LPCSTR text, LPCSTR title, UINT)
{
    Boxes().push_back({owner, title ? title : "", text ? text : ""});
    return IDOK;
}

void StandBetweenPluginAndSystem(HMODULE module)
{
    RedirectImport(module, "user32.dll", "MessageBoxA", reinterpret_cast<void*>(&RecordMessageBox));
    UnbindDisplayMode(module);
    InstallPluginHeapSeam(module);
}

} // namespace

std::vector<RecordedBox> TakeRecordedBoxes()
{
    std::vector<RecordedBox> boxes;
    boxes.swap(Boxes());
    return boxes;
}

bool LoadPluginUnderSeam(refhost::LoadedPlugin& plugin, std::string& error)
{
    TakeRecordedBoxes();
    return refhost::LoadPlugin("Ryxo.dll", plugin, error, StandBetweenPluginAndSystem);
}

VisibleThreadWindow::VisibleThreadWindow()
    : window_(CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr))
{
}

VisibleThreadWindow::~VisibleThreadWindow()
{
    if (window_)
        DestroyWindow(window_);
}
