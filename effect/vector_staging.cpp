#include "vector_staging.h"

#include <array>

namespace {

std::array<std::byte, kVectorStagingBytes>& Block()
{
    static std::array<std::byte, kVectorStagingBytes> block{};
    return block;
}

} // namespace

std::byte* VectorStaging() { return Block().data(); }

void ClearVectorStaging() { Block().fill(std::byte{0}); }
