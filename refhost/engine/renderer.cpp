// FastSync: renders each camera of the sync mask into its target, drawing the visible objects
// (fixed-function with their colour, or through their effect) and then the render-list callbacks.
#include <algorithm>
#include <bit>

#include "engine_state.h"

namespace refhost {

namespace {

// Texture-stage entries drawn; the stage after them multiplies in the mesh's colour.
constexpr int kMaxEntryStages = 7;

struct CameraView {
    D3DXMATRIX view;
    D3DXMATRIX projection;
    D3DXMATRIX viewInverse;
    const HostCameraData* data;
};

DWORD FloatBits(float value) { return std::bit_cast<DWORD>(value); }

D3DCOLOR ToColour(const D3DCOLORVALUE& v)
{
    auto byte = [](float f) { return static_cast<DWORD>(std::clamp(f, 0.0f, 1.0f) * 255.0f + 0.5f); };
    return (byte(v.a) << 24) | (byte(v.r) << 16) | (byte(v.g) << 8) | byte(v.b);
}

// The colour the mesh is drawn in where it has no vertex colour of its own.
D3DCOLOR BaseColour(const MeshRecord& limb)
{
    const HostMesh& m = limb.mesh;
    if (limb.hasVertexColour)
        return 0xFFFFFFFF;
    if (m.usesMaterial)
        return ToColour(m.material.Diffuse);
    return m.hasDiffuseColor ? m.diffuseColor : 0xFFFFFFFF;
}

IDirect3DSurface9* DepthBufferFor(IDirect3DDevice9* device, int width, int height)
{
    auto& buffers = TheEngine().scene.depthBuffers;
    for (const DepthBuffer& b : buffers)
        if (b.width == width && b.height == height)
            return b.surface.ptr();
    Com<IDirect3DSurface9> surface;
    if (FAILED(device->CreateDepthStencilSurface(width, height, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, FALSE,
                                                 surface.put(), nullptr)))
        return nullptr;
    buffers.push_back({width, height, std::move(surface)});
    return buffers.back().surface.ptr();
}

void ApplyRenderStates(IDirect3DDevice9* d, const HostMesh& m)
{
    const Engine& e = TheEngine();
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->SetRenderState(D3DRS_ZENABLE, m.depthRead ? D3DZB_TRUE : D3DZB_FALSE);
    d->SetRenderState(D3DRS_ZWRITEENABLE, m.depthWrite ? TRUE : FALSE);
    DWORD cull = m.cullMode == 3 ? D3DCULL_CW : (m.cullCounterClockwise ? D3DCULL_CCW : D3DCULL_NONE);
    d->SetRenderState(D3DRS_CULLMODE, cull);
    d->SetRenderState(D3DRS_FILLMODE, m.wireframe ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
    bool blended = m.transparent || m.ghost;
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, blended ? TRUE : FALSE);
    d->SetRenderState(D3DRS_SRCBLEND, m.ghost ? D3DBLEND_ONE : D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, m.ghost ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);
    d->SetRenderState(D3DRS_ALPHATESTENABLE, m.transparent ? TRUE : FALSE);
    d->SetRenderState(D3DRS_ALPHAREF, 0);
    d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    d->SetRenderState(D3DRS_DEPTHBIAS, FloatBits(m.depthBiasEnabled ? m.depthBias : 0.0f));
    d->SetRenderState(D3DRS_SLOPESCALEDEPTHBIAS, FloatBits(m.depthBiasEnabled ? m.slopeScaleDepthBias : 0.0f));
    bool fog = e.core.fogEnabled == 1 && m.fog;
    d->SetRenderState(D3DRS_FOGENABLE, fog ? TRUE : FALSE);
    if (fog) {
        d->SetRenderState(D3DRS_FOGCOLOR, e.scene.fogColour);
        d->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
        d->SetRenderState(D3DRS_FOGSTART, FloatBits(e.scene.fogStart));
        d->SetRenderState(D3DRS_FOGEND, FloatBits(e.scene.fogEnd));
    }
    d->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
}

// Stage i shows entry i's texture (or passes the colour on); the stage after the entries
// multiplies in the mesh's colour, and the one after that ends the cascade.
void ApplyTextureStages(IDirect3DDevice9* d, const MeshRecord& limb, const CameraView& camera)
{
    const HostMesh& m = limb.mesh;
    int count = std::clamp(static_cast<int>(m.textureStageCount), 0, kMaxEntryStages);
    if (!m.textureStages)
        count = 0;
    for (int i = 0; i < count; ++i) {
        const HostTextureStage& entry = m.textureStages[i];
        d->SetTexture(i, entry.texture);
        d->SetTextureStageState(i, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
        d->SetTextureStageState(i, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
        if (!entry.texture) {
            d->SetTextureStageState(i, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
            d->SetTextureStageState(i, D3DTSS_COLORARG1, D3DTA_CURRENT);
            continue;
        }
        d->SetTextureStageState(i, D3DTSS_COLOROP, entry.colorOp ? entry.colorOp : D3DTOP_MODULATE);
        d->SetTextureStageState(i, D3DTSS_COLORARG1, entry.colorArg1);
        d->SetTextureStageState(i, D3DTSS_COLORARG2, entry.colorArg2);
        d->SetSamplerState(i, D3DSAMP_MAGFILTER, entry.magFilter ? entry.magFilter : D3DTEXF_LINEAR);
        d->SetSamplerState(i, D3DSAMP_MINFILTER, entry.minFilter ? entry.minFilter : D3DTEXF_LINEAR);
        d->SetSamplerState(i, D3DSAMP_MIPFILTER, entry.mipFilter);
        if (entry.textureMode == 2) {
            // Cube maps are looked up with the reflection vector, turned from camera into world space.
            d->SetTextureStageState(i, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
            d->SetTextureStageState(i, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3);
            D3DXMATRIX rotation = camera.viewInverse;
            rotation._41 = rotation._42 = rotation._43 = 0;
            d->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + i), &rotation);
        } else {
            int set = limb.texCoordSets > 0 ? std::min(i, limb.texCoordSets - 1) : 0;
            d->SetTextureStageState(i, D3DTSS_TEXCOORDINDEX, set);
            d->SetTextureStageState(i, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
        }
    }
    d->SetTexture(count, nullptr);
    d->SetRenderState(D3DRS_TEXTUREFACTOR, BaseColour(limb));
    d->SetTextureStageState(count, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(count, D3DTSS_COLORARG1, D3DTA_CURRENT);
    d->SetTextureStageState(count, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    d->SetTextureStageState(count, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetTextureStageState(count, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    d->SetTextureStageState(count, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
    d->SetTextureStageState(count, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    d->SetTextureStageState(count + 1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    d->SetTextureStageState(count + 1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

void BindGeometry(IDirect3DDevice9* d, const HostMesh& m)
{
    if (m.vertexDeclaration)
        d->SetVertexDeclaration(m.vertexDeclaration);
    else
        d->SetFVF(m.fvf);
    d->SetStreamSource(0, m.drawBuffer->vertexBuffer, 0, m.vertexSize);
    d->SetStreamSourceFreq(0, 1);
    if (m.drawBuffer->indexBuffer)
        d->SetIndices(m.drawBuffer->indexBuffer);
}

void Draw(IDirect3DDevice9* d, const HostMesh& m)
{
    Scene& scene = TheEngine().scene;
    if (m.drawBuffer->indexBuffer)
        d->DrawIndexedPrimitive(m.primitiveType, 0, 0, m.vertexCount, 0, m.primitiveCount);
    else
        d->DrawPrimitive(m.primitiveType, 0, m.primitiveCount);
    scene.drawCalls += 1;
    scene.primitivesDrawn += m.primitiveCount;
}

D3DXMATRIX Transposed(const D3DXMATRIX& m)
{
    D3DXMATRIX t;
    D3DXMatrixTranspose(&t, &m);
    return t;
}

D3DXMATRIX Inverted(const D3DXMATRIX& m)
{
    D3DXMATRIX i;
    D3DXMatrixInverse(&i, nullptr, &m);
    return i;
}

// Texture parameters, in declaration order, show the mesh's stage textures: the effects this host
// reads name their textures in their samplers' states, so that is where a texture reaches them.
void FeedTextures(const HostEffect& r, const HostMesh& m)
{
    ID3DXEffect* fx = r.effect;
    int textureIndex = 0;
    for (UINT p = 0; p < r.description.Parameters && textureIndex < m.textureStageCount; ++p) {
        D3DXHANDLE h = fx->GetParameter(nullptr, p);
        D3DXPARAMETER_DESC desc{};
        if (!h || FAILED(fx->GetParameterDesc(h, &desc)) || desc.Type != D3DXPT_TEXTURE)
            continue;
        fx->SetTexture(h, m.textureStages[textureIndex++].texture);
    }
}

// What the host hands its own objects' effects besides their textures. By default world, view and
// projection alone, the least an engine that draws effects gives; HostOptions::feedsEverySemantic
// fills every parameter the effect record has a handle for.
void FeedEffect(const HostEffect& r, const HostMesh& m, const D3DXMATRIX& world, const CameraView& camera)
{
    ID3DXEffect* fx = r.effect;
    FeedTextures(r, m);
    if (!TheEngine().options.feedsEverySemantic) {
        const D3DXMATRIX* plain[] = {&world, &camera.view, &camera.projection}; // kWorld, kView, kProjection
        for (int i = 0; i < 3; ++i)
            if (r.matrixHandles[i]) {
                D3DXMATRIX value = r.expectsTransposed ? Transposed(*plain[i]) : *plain[i];
                fx->SetMatrix(r.matrixHandles[i], &value);
            }
        return;
    }
    D3DXMATRIX matrices[kHostEffectMatrixCount];
    matrices[kWorld] = world;
    matrices[kView] = camera.view;
    matrices[kProjection] = camera.projection;
    matrices[kWorldView] = world * camera.view;
    matrices[kViewProjection] = camera.view * camera.projection;
    matrices[kWorldViewProjection] = matrices[kWorldView] * camera.projection;
    matrices[kWorldInverse] = Inverted(world);
    matrices[kViewInverse] = camera.viewInverse;
    matrices[kWorldViewInverse] = Inverted(matrices[kWorldView]);
    for (int i = 0; i < 9; ++i)
        matrices[kWorldTranspose + i] = Transposed(matrices[i]);
    for (int i = 0; i < kHostEffectMatrixCount; ++i) {
        if (!r.matrixHandles[i])
            continue;
        // With expectsTransposed the effect wants every matrix handed over transposed.
        D3DXMATRIX value = r.expectsTransposed ? Transposed(matrices[i]) : matrices[i];
        fx->SetMatrix(r.matrixHandles[i], &value);
    }
    D3DXVECTOR4 eye(camera.viewInverse._41, camera.viewInverse._42, camera.viewInverse._43, 1.0f);
    if (r.eyePosition) fx->SetVector(r.eyePosition, &eye);
    if (r.eyePosition2) fx->SetVector(r.eyePosition2, &eye);
    if (r.alphaFactor)
        fx->SetFloat(r.alphaFactor, m.hasDiffuseColor ? ((m.diffuseColor >> 24) & 0xFF) / 255.0f : 1.0f);
    if (r.zeroFloat1) fx->SetFloat(r.zeroFloat1, 0.0f);
    if (r.zeroFloat2) fx->SetFloat(r.zeroFloat2, 0.0f);
    if (r.clipPlane) {
        D3DXVECTOR4 plane(0, 0, 0, 0);
        if (camera.data->clipMode != 0)
            plane = D3DXVECTOR4(camera.data->clipPlane.a, camera.data->clipPlane.b, camera.data->clipPlane.c,
                                camera.data->clipPlane.d);
        fx->SetVector(r.clipPlane, &plane);
    }
}

void DrawLimb(IDirect3DDevice9* d, const ObjectRecord& object, MeshRecord& limb, const CameraView& camera)
{
    const HostMesh& m = limb.mesh;
    if (m.drawBuffer && !m.drawBuffer->vertexBuffer)
        GenerateBuffers(limb);
    if (!m.drawBuffer || !m.drawBuffer->vertexBuffer || m.primitiveCount <= 0)
        return;
    ApplyRenderStates(d, m);
    d->SetTransform(D3DTS_WORLD, &object.record.world);
    BindGeometry(d, m);

    // Stage textures reach an effect through its texture parameters (FeedEffect) and the device's
    // texture stages only a fixed-function draw.
    const HostEffect* effect = reinterpret_cast<intptr_t>(m.effect) > 0 ? m.effect : nullptr;
    if (!effect || !effect->effect) {
        ApplyTextureStages(d, limb, camera);
        d->SetVertexShader(nullptr);
        d->SetPixelShader(nullptr);
        Draw(d, m);
        return;
    }
    FeedEffect(*effect, m, object.record.world, camera);
    UINT passes = 0;
    if (FAILED(effect->effect->Begin(&passes, 0)))
        return;
    for (UINT p = 0; p < passes; ++p) {
        if (FAILED(effect->effect->BeginPass(p)))
            continue;
        Draw(d, m);
        effect->effect->EndPass();
    }
    effect->effect->End();
    d->SetVertexShader(nullptr);
    d->SetPixelShader(nullptr);
}

// `hostDepth` is the depth buffer bound between frames: the back buffer's.
void RenderCamera(IDirect3DDevice9* d, int number, CameraRecord& camera, IDirect3DSurface9* hostDepth)
{
    Engine& e = TheEngine();
    // Callbacks ask the core data which camera is being drawn, so it is set before anything else.
    e.core.currentCamera = number;
    HostCameraData& data = camera.data;
    UpdateCameraMatrices(data);

    Com<IDirect3DSurface9> target;
    const bool intoBackBuffer = !(data.renderIntoSurface == 1 && data.surface) && RendersIntoBackBuffer(number);
    if (data.renderIntoSurface == 1 && data.surface)
        target = Com<IDirect3DSurface9>::Share(data.surface);
    else if (intoBackBuffer)
        target = Com<IDirect3DSurface9>::Share(e.core.referenceSurface);
    else if (camera.target)
        camera.target->GetSurfaceLevel(0, target.put());
    if (!target)
        return;
    D3DSURFACE_DESC desc{};
    target->GetDesc(&desc);
    d->SetRenderTarget(0, target.ptr());
    target.reset();
    d->SetDepthStencilSurface(intoBackBuffer ? hostDepth
                                             : DepthBufferFor(d, static_cast<int>(desc.Width), static_cast<int>(desc.Height)));
    D3DVIEWPORT9 viewport = {0, 0, desc.Width, desc.Height, 0.0f, 1.0f};
    d->SetViewport(&viewport);
    if (e.frameScissorOn) {
        d->SetScissorRect(&e.frameScissor);
        d->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
    }
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, camera.backdrop, 1.0f, 0);

    d->BeginScene();
    d->SetTransform(D3DTS_VIEW, &data.view);
    d->SetTransform(D3DTS_PROJECTION, &data.projection);
    CameraView view{data.view, data.projection, {}, &data};
    D3DXMatrixInverse(&view.viewInverse, nullptr, &data.view);
    for (auto& [objectNumber, object] : e.scene.objects) {
        if (!object->visible)
            continue;
        for (auto& limb : object->limbs)
            DrawLimb(d, *object, *limb, view);
    }
    d->SetTransform(D3DTS_VIEW, &data.view);
    d->SetTransform(D3DTS_PROJECTION, &data.projection);
    // A callback may add or remove entries: walk a copy.
    std::vector<RenderListEntry> callbacks = e.renderList;
    for (const RenderListEntry& entry : callbacks)
        reinterpret_cast<RenderCallback>(entry.callback)();
    d->EndScene();
    if (e.frameScissorOn)
        d->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
}

} // namespace

void FastSync()
{
    LogHostCall("FastSync()");
    Engine& e = TheEngine();
    IDirect3DDevice9* d = e.device.ptr();
    if (!d)
        return;
    e.scene.primitivesDrawn = 0;
    e.scene.drawCalls = 0;
    Com<IDirect3DSurface9> savedDepth;
    d->GetDepthStencilSurface(savedDepth.put());
    for (auto& [number, camera] : e.scene.cameras) {
        if (number < 0 || number > 31 || !(e.syncMask & (1u << number)))
            continue;
        RenderCamera(d, number, *camera, savedDepth.ptr());
    }
    // Frames end on the back buffer, as the engine's own 2D drawing and Present expect.
    d->SetRenderTarget(0, e.core.referenceSurface);
    d->SetDepthStencilSurface(savedDepth.ptr());
}

int GetStatistic(int code)
{
    const Scene& scene = TheEngine().scene;
    switch (code) {
    case 1: return scene.primitivesDrawn;
    case 5: return scene.drawCalls;
    default: return 0;
    }
}

int GetStatisticForPlugin(int code)
{
    LogHostCall("GetStatistic(%d)", code);
    return GetStatistic(code);
}

void SetFog(bool enabled, D3DCOLOR colour, float start, float end)
{
    Engine& e = TheEngine();
    e.core.fogEnabled = enabled ? 1 : 0;
    e.scene.fogColour = colour;
    e.scene.fogStart = start;
    e.scene.fogEnd = end;
}

} // namespace refhost
