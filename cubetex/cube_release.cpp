#include "cube_release.h"

#include <algorithm>

#include "host_access.h"

namespace {

// Every sampler a texture can be bound to: the pixel samplers and the vertex samplers.
constexpr DWORD kPixelSamplers = 16;
constexpr DWORD kVertexSamplers[] = {D3DVERTEXTEXTURESAMPLER0, D3DVERTEXTEXTURESAMPLER1, D3DVERTEXTEXTURESAMPLER2,
                                     D3DVERTEXTEXTURESAMPLER3};

void UnbindFromSampler(IDirect3DDevice9* device, DWORD sampler, IDirect3DBaseTexture9* texture)
{
    Com<IDirect3DBaseTexture9> bound;
    if (SUCCEEDED(device->GetTexture(sampler, bound.put())) && bound.ptr() == texture)
        device->SetTexture(sampler, nullptr);
}

bool IsFaceOf(IDirect3DSurface9* surface, IDirect3DCubeTexture9* texture)
{
    Com<IDirect3DCubeTexture9> container;
    return SUCCEEDED(surface->GetContainer(IID_IDirect3DCubeTexture9, reinterpret_cast<void**>(container.put()))) &&
           container.ptr() == texture;
}

void UnbindFromDevice(IDirect3DCubeTexture9* texture)
{
    IDirect3DDevice9* device = HostDevice();
    if (!device)
        return;
    for (DWORD sampler = 0; sampler < kPixelSamplers; ++sampler)
        UnbindFromSampler(device, sampler, texture);
    for (DWORD sampler : kVertexSamplers)
        UnbindFromSampler(device, sampler, texture);

    D3DCAPS9 caps{};
    device->GetDeviceCaps(&caps);
    const DWORD targets = std::max<DWORD>(1, caps.NumSimultaneousRTs);
    for (DWORD index = 0; index < targets; ++index) {
        Com<IDirect3DSurface9> target;
        if (FAILED(device->GetRenderTarget(index, target.put())) || !target || !IsFaceOf(target.ptr(), texture))
            continue;
        if (index > 0) {
            device->SetRenderTarget(index, nullptr);
            continue;
        }
        // Render target 0 can never be empty: the host's back buffer goes back there.
        Com<IDirect3DSurface9> backBuffer;
        if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.put())))
            device->SetRenderTarget(0, backBuffer.ptr());
    }
}

// The host's renderer (and GeoInst_Sync) hand a mesh's stage textures to its effect's texture
// parameters, where the effect holds a reference of its own: the parameters that still show the
// texture are emptied.
void ClearEffectParameters(ID3DXEffect* effect, IDirect3DBaseTexture9* texture)
{
    D3DXEFFECT_DESC description{};
    if (!effect || FAILED(effect->GetDesc(&description)))
        return;
    for (UINT p = 0; p < description.Parameters; ++p) {
        D3DXHANDLE parameter = effect->GetParameter(nullptr, p);
        D3DXPARAMETER_DESC desc{};
        if (!parameter || FAILED(effect->GetParameterDesc(parameter, &desc)) || desc.Elements != 0 ||
            (desc.Type != D3DXPT_TEXTURE && desc.Type != D3DXPT_TEXTURECUBE))
            continue;
        Com<IDirect3DBaseTexture9> shown;
        if (SUCCEEDED(effect->GetTexture(parameter, shown.put())) && shown.ptr() == texture)
            effect->SetTexture(parameter, nullptr);
    }
}

void ClearHostEntries(const CubeTexRecord& cube)
{
    IDirect3DBaseTexture9* texture = cube.texture.ptr();
    for (const CubeApplication& place : cube.applications) {
        sObject* object = HostObject(place.object);
        if (!object || !object->meshList || place.stage < 0)
            continue;
        for (int i = 0; i < object->meshCount; ++i) {
            HostMesh* mesh = object->meshList[i];
            if (mesh)
                ClearEffectParameters(MeshEffect(mesh), texture);
            if (!mesh || !mesh->textureStages || place.stage >= mesh->textureStageCount)
                continue;
            HostTextureStage& entry = mesh->textureStages[place.stage];
            if (entry.texture == texture) {
                entry.texture = nullptr;
                entry.image = 0;
            }
        }
    }
}

} // namespace

void MakeRoomForApplication(CubeTexRecord& cube)
{
    std::vector<CubeApplication>& places = cube.applications;
    if (places.size() == places.capacity())
        places.reserve(std::max<size_t>(4, places.size() * 2));
}

void RememberApplication(CubeTexRecord& cube, int object, int stage)
{
    const CubeApplication place{object, stage};
    if (std::find(cube.applications.begin(), cube.applications.end(), place) == cube.applications.end())
        cube.applications.push_back(place); // within the room made before: allocates nothing
}

void DestroyCubeTexture(CubeTexRecord& cube)
{
    IDirect3DCubeTexture9* texture = cube.texture.ptr();
    if (!texture)
        return;
    UnbindFromDevice(texture);
    ClearHostEntries(cube);
    cube.applications.clear();
    // Only the record's own reference is released. Releasing the texture until it is destroyed
    // would free it under holders that took references of their own (an effect given it through a
    // texture parameter, say), which release it later and crash; with the device and the host's
    // entries let go above, those holders are all that may keep it alive, and only as long as they
    // do.
    cube.texture.reset();
}
