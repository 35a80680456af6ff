// Vector array parameters whose vectors lie scattered in memory, one address each. The vectors are
// packed into the plugin's staging block, bytes-per-vector apart, on their way to or from the
// effect, which itself reads and writes the block as packed 16-byte vectors.
#include <cstdint>
#include <cstring>

#include "exports.h"
#include "script_values.h"
#include "vector_staging.h"

namespace {

constexpr int64_t kEffectVectorBytes = sizeof(D3DXVECTOR4);

// A request the staging block can hold: both the packed copies (count x bytes-per-vector) and the
// vectors the effect moves (count x 16) must fit. Anything else is refused before a byte moves, as
// is an address list at 0 with vectors to move.
bool FitsStaging(int addresses, int bytesPerVector, int count)
{
    if (count < 0 || bytesPerVector < 0)
        return false;
    if (count > 0 && addresses == 0)
        return false;
    return int64_t{count} * bytesPerVector <= kVectorStagingBytes &&
           int64_t{count} * kEffectVectorBytes <= kVectorStagingBytes;
}

std::byte* StagingSlot(int index, int bytesPerVector)
{
    return VectorStaging() + static_cast<size_t>(index) * static_cast<size_t>(bytesPerVector);
}

D3DXVECTOR4* StagingVectors() { return reinterpret_cast<D3DXVECTOR4*>(VectorStaging()); }

} // namespace

// Vector addresses of 0 inside the list are skipped: their slot is handed over as zeros.
RYXO_COMMAND Shader_SetVectorPointerArray(int effect, int parameter, int addresses, int bytesPerVector, int count)
{
    ID3DXEffect* fx = ScriptEffect(effect);
    if (!fx || !FitsStaging(addresses, bytesPerVector, count))
        return 0;
    const int32_t* list = ScriptPointer<const int32_t>(addresses);
    for (int i = 0; i < count; ++i) {
        std::byte* slot = StagingSlot(i, bytesPerVector);
        if (list[i] == 0)
            std::memset(slot, 0, bytesPerVector);
        else
            std::memcpy(slot, ScriptPointer<const std::byte>(list[i]), bytesPerVector);
    }
    fx->SetVectorArray(ScriptHandle(parameter), StagingVectors(), static_cast<UINT>(count));
    return 0;
}

// Vector addresses of 0 inside the list are skipped: nothing is written for them.
RYXO_COMMAND Shader_GetVectorPointerArray(int effect, int parameter, int addresses, int bytesPerVector, int count)
{
    ID3DXEffect* fx = ScriptEffect(effect);
    if (!fx || !FitsStaging(addresses, bytesPerVector, count))
        return 0;
    fx->GetVectorArray(ScriptHandle(parameter), StagingVectors(), static_cast<UINT>(count));
    const int32_t* list = ScriptPointer<const int32_t>(addresses);
    for (int i = 0; i < count; ++i) {
        if (list[i] != 0)
            std::memcpy(ScriptPointer<std::byte>(list[i]), StagingSlot(i, bytesPerVector), bytesPerVector);
    }
    return 0;
}
