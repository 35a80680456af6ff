// The vector staging block: where the vector pointer array commands pack scattered vectors on
// their way to or from an effect. Zero-filled at load.
#pragma once

#include <cstddef>

inline constexpr int kVectorStagingBytes = 3840; // 240 vectors of 16 bytes

std::byte* VectorStaging();

// Start-up of the effect commands: the block back to zeros.
void ClearVectorStaging();
