// What the process can still map: the families refuse a block the game's address space cannot
// hold in one piece (an instance buffer, a cube texture) before asking the device for it.
#pragma once

#include <cstdint>

// Bytes of the largest free range of this process's address space. A 32-bit game has 2 GB at most,
// cut into pieces by its modules and heaps, so a large block can fail long before memory runs out.
uint32_t LargestFreeAddressRange();
