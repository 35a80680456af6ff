#include "texture_parameters.h"

#include <algorithm>

TextureParameters CollectTextureParameters(const HostEffect& record, ID3DXEffect* effect)
{
    TextureParameters found;
    const UINT parameterCount = record.description.Parameters;
    for (UINT p = 0; p < parameterCount && found.count < kMaxTextureParameters; ++p) {
        D3DXHANDLE handle = effect->GetParameter(nullptr, p);
        if (!handle)
            continue;
        D3DXPARAMETER_DESC description{};
        if (SUCCEEDED(effect->GetParameterDesc(handle, &description)) && description.Type == D3DXPT_TEXTURE)
            found.handles[found.count++] = handle;
    }
    return found;
}

void BindMeshTextures(ID3DXEffect* effect, const HostMesh* mesh, const D3DXHANDLE* handles, int count)
{
    // A count without an array to read it from counts as no entries.
    if (!effect || !mesh->textureStages)
        return;
    const int bound = std::min({static_cast<int>(mesh->textureStageCount), count, kMaxTextureParameters});
    for (int i = 0; i < bound; ++i) {
        if (handles[i])
            effect->SetTexture(handles[i], mesh->textureStages[i].texture);
    }
}
