#include "address_space.h"

#include <algorithm>
#include <cstddef>

#include <windows.h>

uint32_t LargestFreeAddressRange()
{
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    auto* address = static_cast<std::byte*>(system.lpMinimumApplicationAddress);
    const auto* end = static_cast<std::byte*>(system.lpMaximumApplicationAddress);
    SIZE_T largest = 0;
    MEMORY_BASIC_INFORMATION region{};
    while (address < end && VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_FREE)
            largest = std::max(largest, region.RegionSize);
        auto* next = static_cast<std::byte*>(region.BaseAddress) + region.RegionSize;
        if (next <= address) // the top of a 4 GB space wraps
            break;
        address = next;
    }
    return static_cast<uint32_t>(std::min<SIZE_T>(largest, UINT32_MAX));
}
