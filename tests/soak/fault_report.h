// What the soak says when a call faults: where the fault happened and the code on the faulting
// thread's stack, and whether the process's heaps are still whole.
#pragma once

#include <cstdint>

#include <windows.h>

// `label` and the module+offset of `address` on stderr, when the address lies in a loaded module.
void PrintCodeAddress(const char* label, uintptr_t address);

// The faulting instruction and the return addresses on the stack of `context` that fall in a
// loaded module, as module+offset (addr2line on the module turns them into lines).
void PrintCodeOnStack(const CONTEXT& context);

// Whether every heap of the process passes HeapValidate.
bool EveryHeapIsSound();
