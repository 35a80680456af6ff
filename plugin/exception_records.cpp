// The plugin reports a failed allocation by letting std::bad_alloc reach the command's boundary.
// The throw itself needs records the C++ runtime makes on first use: the thread's exception
// globals, the unwinder's sorted table of the plugin's frames, their locks, and the lock of the
// emergency pool from which an exception object is taken when the heap has no room for it. Made
// when memory has already run out, each can fail, and the runtime then ends the process (without
// room for the thread's globals, or for the emergency pool's lock when it is first taken). So they
// are all made at load: one throw makes the first ones, and a second throw whose exception object
// is refused its heap memory takes the emergency pool once.
//
// The refusal goes through the link-time wrapper of malloc (the plugin links with
// -Wl,--wrap=malloc, so the runtime's calls come here too); every other allocation passes straight
// through to the C runtime.
#include "exception_records.h"

#include <cstddef>

extern "C" void* __real_malloc(size_t bytes);

namespace {

bool g_refuseNextAllocation = false;

[[gnu::noinline]] void ThrowOnce() { throw 0; }

void ThrowAndCatch()
{
    try {
        ThrowOnce();
    } catch (int) {
    }
}

} // namespace

extern "C" void* __wrap_malloc(size_t bytes)
{
    if (g_refuseNextAllocation) {
        g_refuseNextAllocation = false;
        return nullptr;
    }
    return __real_malloc(bytes);
}

void PrepareExceptionRecords()
{
    ThrowAndCatch();
    // The first allocation of a throw is its exception object.
    g_refuseNextAllocation = true;
    ThrowAndCatch();
    g_refuseNextAllocation = false;
}
