// A block of the C runtime's heap owned by one field of a record: given back when the record goes
// or the block is replaced, and never copied, so a record cannot be copied into a second owner of
// the same memory by accident. The blocks come from malloc/calloc because a set's storage is
// copied into a larger block by hand and must be refusable without an exception.
#pragma once

#include <cstdlib>
#include <memory>

struct FreeHeapBlock {
    void operator()(void* block) const { std::free(block); }
};

template <typename T>
using HeapBlock = std::unique_ptr<T[], FreeHeapBlock>;
