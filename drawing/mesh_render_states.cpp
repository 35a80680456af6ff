#include "mesh_render_states.h"

#include <bit>

#include "mesh_effect_matrices.h"
#include "plugin_state.h"

namespace {

constexpr int kMaxTextureStages = 8;

// Stops the alpha test from discarding more than the darkest fifth of a transparent mesh.
constexpr DWORD kHighestAlphaReference = 207;

// D3DRS_DEPTHBIAS and friends take the float's bit pattern in a DWORD.
DWORD FloatBits(float value) { return std::bit_cast<DWORD>(value); }

const HostTextureStage& TextureStage(const HostMesh* mesh, int index)
{
    // Entries are 328 bytes apart; HostTextureStage has exactly that size.
    return mesh->textureStages[index];
}

void ApplyTextureStages(IDirect3DDevice9* device, const HostMesh* mesh)
{
    // A count without an array to read it from counts as no entries.
    const int entries = mesh->textureStages ? mesh->textureStageCount : 0;
    for (int i = 0; i < kMaxTextureStages; ++i) {
        if (i >= entries) {
            device->SetTexture(i, nullptr);
            continue;
        }
        const HostTextureStage& entry = TextureStage(mesh, i);
        const DWORD stage = static_cast<DWORD>(entry.deviceStage);
        device->SetTextureStageState(stage, D3DTSS_COLOROP, entry.colorOp);
        device->SetTextureStageState(stage, D3DTSS_COLORARG1, entry.colorArg1);
        device->SetTextureStageState(stage, D3DTSS_COLORARG2, entry.colorArg2);
        device->SetSamplerState(stage, D3DSAMP_MAGFILTER, entry.magFilter);
        device->SetSamplerState(stage, D3DSAMP_MINFILTER, entry.minFilter);
        device->SetSamplerState(stage, D3DSAMP_MIPFILTER, entry.mipFilter);
        if (i == 0) {
            device->SetSamplerState(stage, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
            device->SetSamplerState(stage, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
        }
    }
}

DWORD CullMode(const HostMesh* mesh)
{
    if (mesh->cullMode == 3)
        return D3DCULL_CW;
    return mesh->cullCounterClockwise ? D3DCULL_CCW : D3DCULL_NONE;
}

// The alpha-test reference of a transparent mesh whose alpha test passes at or above a reference.
DWORD AlphaReference(const HostMesh* mesh)
{
    DWORD reference = kHighestAlphaReference;
    if (mesh->hasDiffuseColor == 1) {
        // The alpha byte goes through the 0..1 factor the effect also receives; every byte value
        // comes back exactly.
        reference = static_cast<DWORD>(MeshAlphaFactor(mesh) * 255.0f);
        if (reference > kHighestAlphaReference)
            reference = kHighestAlphaReference;
    }
    return reference;
}

void ApplyTransparency(IDirect3DDevice9* device, const HostMesh* mesh)
{
    if (mesh->transparent != 1 && mesh->ghostMode <= 0)
        return;
    if (mesh->transparent) {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        if (mesh->alphaTestChoice == 0) {
            device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
            device->SetRenderState(D3DRS_ALPHAREF, 0);
        } else {
            const DWORD reference = AlphaReference(mesh);
            device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
            device->SetRenderState(D3DRS_ALPHAREF, reference);
        }
    } else {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_ALWAYS);
    }
}

struct BlendPair {
    D3DBLEND source;
    D3DBLEND destination;
};

// Blend factors of the ghost modes 0 to 5.
constexpr BlendPair kGhostBlends[] = {
    {D3DBLEND_ONE, D3DBLEND_INVSRCCOLOR},
    {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR},
    {D3DBLEND_SRCCOLOR, D3DBLEND_ONE},
    {D3DBLEND_SRCALPHA, D3DBLEND_SRCALPHA},
    {D3DBLEND_SRCCOLOR, D3DBLEND_DESTCOLOR},
    {D3DBLEND_DESTCOLOR, D3DBLEND_SRCCOLOR},
};

void ApplyGhost(IDirect3DDevice9* device, const HostMesh* mesh)
{
    if (mesh->ghost) {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        const int mode = mesh->ghostMode;
        if (mode >= 0 && mode < static_cast<int>(std::size(kGhostBlends))) {
            device->SetRenderState(D3DRS_SRCBLEND, kGhostBlends[mode].source);
            device->SetRenderState(D3DRS_DESTBLEND, kGhostBlends[mode].destination);
        }
    } else if (!mesh->transparent) {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    }
}

} // namespace

void ApplyStatesTheHostMayLeave(IDirect3DDevice9* device, const HostMesh* mesh)
{
    if (mesh->transparent != 1 && mesh->ghostMode <= 0)
        device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    constexpr DWORD kEveryChannel = D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_GREEN | D3DCOLORWRITEENABLE_BLUE |
                                    D3DCOLORWRITEENABLE_ALPHA;
    for (D3DRENDERSTATETYPE mask : {D3DRS_COLORWRITEENABLE, D3DRS_COLORWRITEENABLE1, D3DRS_COLORWRITEENABLE2,
                                    D3DRS_COLORWRITEENABLE3})
        device->SetRenderState(mask, kEveryChannel);
}

int ApplyMeshRenderStates(IDirect3DDevice9* device, const HostMesh* mesh)
{
    ApplyTextureStages(device, mesh);

    device->SetRenderState(D3DRS_FILLMODE, mesh->wireframe ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
    device->SetRenderState(D3DRS_CULLMODE, CullMode(mesh));

    // A mesh's fog switch only counts while the host has fog on at all.
    const HostCoreData* core = CoreData();
    if (core && core->fogEnabled == 1) {
        device->SetRenderState(D3DRS_FOGENABLE, mesh->fog ? TRUE : FALSE);
        if (mesh->fog && mesh->ghost)
            device->SetRenderState(D3DRS_FOGCOLOR, 0x00000000);
    }

    ApplyTransparency(device, mesh);
    ApplyGhost(device, mesh);

    const bool writesDepth = !mesh->ghost && mesh->depthWrite;
    device->SetRenderState(D3DRS_ZWRITEENABLE, writesDepth ? TRUE : FALSE);

    if (mesh->depthBiasEnabled) {
        device->SetRenderState(D3DRS_DEPTHBIAS, FloatBits(mesh->depthBias));
        device->SetRenderState(D3DRS_SLOPESCALEDEPTHBIAS, FloatBits(mesh->slopeScaleDepthBias));
    } else {
        device->SetRenderState(D3DRS_DEPTHBIAS, 0);
        device->SetRenderState(D3DRS_SLOPESCALEDEPTHBIAS, 0);
    }

    device->SetRenderState(D3DRS_ZENABLE, mesh->depthRead ? D3DZB_TRUE : D3DZB_FALSE);

    if (mesh->usesMaterial) {
        device->SetRenderState(D3DRS_COLORVERTEX, FALSE);
        device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
        device->SetMaterial(&mesh->material);
    }

    device->SetSamplerState(0, D3DSAMP_MIPMAPLODBIAS, FloatBits(mesh->mipLodBias));
    return 1;
}
