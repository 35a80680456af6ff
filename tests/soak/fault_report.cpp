#include "fault_report.h"

#include <cstdio>
#include <cstring>

// Where the fault happened and the return addresses on the faulting thread's stack that fall in a
// loaded module, as module+offset (addr2line on the module turns them into lines). Frame pointers
// are not kept, so the stack is scanned: an address listed may be a stale one, but the calls that
// led to the fault are among them.
void PrintCodeAddress(const char* label, uintptr_t address)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(address), &module) ||
        !module)
        return;
    char name[MAX_PATH] = "?";
    GetModuleFileNameA(module, name, sizeof name);
    const char* base = std::strrchr(name, '\\');
    std::fprintf(stderr, "  %s %s+0x%lx\n", label, base ? base + 1 : name,
                 static_cast<unsigned long>(address - reinterpret_cast<uintptr_t>(module)));
}

void PrintCodeOnStack(const CONTEXT& context)
{
    PrintCodeAddress("fault at", context.Eip);
    const auto* stack = reinterpret_cast<const uintptr_t*>(context.Esp);
    MEMORY_BASIC_INFORMATION region{};
    if (!VirtualQuery(stack, &region, sizeof region))
        return;
    const auto* end = reinterpret_cast<const uintptr_t*>(static_cast<const char*>(region.BaseAddress) + region.RegionSize);
    for (int shown = 0; stack < end && shown < 24; ++stack) {
        MEMORY_BASIC_INFORMATION code{};
        if (VirtualQuery(reinterpret_cast<const void*>(*stack), &code, sizeof code) && code.Type == MEM_IMAGE &&
            (code.Protect & (PAGE_EXECUTE_READ | PAGE_EXECUTE | PAGE_EXECUTE_READWRITE))) {
            PrintCodeAddress("called from", *stack);
            ++shown;
        }
    }
}

bool EveryHeapIsSound()
{
    HANDLE heaps[64];
    DWORD count = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapValidate(heaps[i], 0, nullptr))
            return false;
    }
    return true;
}
