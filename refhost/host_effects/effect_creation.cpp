#include "effect_creation.h"

#include <vector>

#include "com.h"
#include "effect_binary_writer.h"
#include "effect_code.h"

namespace refhost {

ID3DXEffect* CreateDescribedEffect(IDirect3DDevice9* device, const EffectDescription& description, std::string* error)
{
    if (!device) {
        if (error) *error = "no device";
        return nullptr;
    }
    EffectCode code;
    std::vector<BYTE> binary;
    if (!CompileEffectCode(description, &code, error) || !WriteEffectBinary(description, code, &binary, error))
        return nullptr;
    ID3DXEffect* effect = nullptr;
    Com<ID3DXBuffer> messages;
    const HRESULT hr = D3DXCreateEffect(device, binary.data(), static_cast<UINT>(binary.size()), nullptr, nullptr, 0,
                                        nullptr, &effect, messages.put());
    if (FAILED(hr) || !effect) {
        if (error) {
            *error = "D3DXCreateEffect refuses the written effect (" + std::to_string(hr) + ")";
            if (messages) *error += ": " + std::string(static_cast<const char*>(messages->GetBufferPointer()));
        }
        return nullptr;
    }
    return effect;
}

HostEffect* AddDescribedEffect(int effectNumber, const EffectDescription& description, std::string* error)
{
    Com<ID3DXEffect> effect = Com<ID3DXEffect>::Adopt(CreateDescribedEffect(RealDevice(), description, error));
    return effect ? AddEffect(effectNumber, effect.ptr()) : nullptr;
}

} // namespace refhost
