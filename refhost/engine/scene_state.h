// The engine's scene: the records it hands to plugins, each kept beside the engine's own data about
// it. Records are allocated zero-filled and never move while they exist (plugins keep their
// addresses), so every one lives in its own heap block.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "com.h"
#include "ref_host.h"

namespace refhost {

// Records start as all zero bytes. Value-initialising is not enough: D3DX's matrix and plane
// types have constructors that leave their members as they were.
template <typename Record>
void ZeroFill(Record& record)
{
    std::memset(static_cast<void*>(&record), 0, sizeof(Record));
}

// What a deleted record's bytes are overwritten with before its memory goes back, as a debug heap
// does: a pointer read from it (0x0000DEAD) lies in the never-mapped first pages, and every count and
// flag is far from anything valid. A plugin that kept a pointer into a deleted object then faults at
// once instead of drawing from stale memory that happens to look right.
template <typename Record>
void PoisonFill(Record* records, size_t count = 1)
{
    static constexpr uint32_t kPoison = 0x0000DEAD;
    auto* words = reinterpret_cast<unsigned char*>(records);
    for (size_t i = 0; i < sizeof(Record) * count; ++i)
        words[i] = static_cast<unsigned char>(kPoison >> (8 * (i % 4)));
}

// One limb's mesh with the draw buffer and texture-stage entries it points at. The limb holds one
// reference on its buffers and declaration, which the host records show; stage textures are
// borrowed from their images.
struct MeshRecord {
    MeshRecord() { ZeroFill(mesh), ZeroFill(drawBuffer); }
    HostMesh mesh{};
    HostDrawBuffer drawBuffer{};
    Com<IDirect3DVertexBuffer9> vertexBuffer;      // drawBuffer.vertexBuffer
    Com<IDirect3DIndexBuffer9> indexBuffer;        // drawBuffer.indexBuffer
    Com<IDirect3DVertexDeclaration9> declaration;  // mesh.vertexDeclaration
    std::vector<HostTextureStage> stages;
    bool hasVertexColour = false;
    int texCoordSets = 0;
};

struct ObjectRecord {
    ObjectRecord() { ZeroFill(record); }
    ~ObjectRecord(); // poisons the records (see PoisonFill)
    sObject record{};
    std::vector<HostMesh*> meshList;               // what record.meshList points at
    std::vector<std::unique_ptr<MeshRecord>> limbs;
    D3DXVECTOR3 position{0, 0, 0};
    D3DXVECTOR3 rotation{0, 0, 0};                 // degrees
    D3DXVECTOR3 scale{1, 1, 1};
    bool visible = true;
};

struct EffectRecord {
    EffectRecord() { ZeroFill(record); }
    HostEffect record{};
    Com<ID3DXEffect> effect;                       // record.effect
};

struct ImageRecord {
    Com<IDirect3DTexture9> texture;                // the engine's own reference
    bool renderTarget = false;
    bool referenceHandedOut = false;               // MakeRenderTarget gave the caller one
};

struct CameraRecord {
    CameraRecord() { ZeroFill(data); }
    HostCameraData data{};
    int width = 0;
    int height = 0;
    Com<IDirect3DTexture9> target;                 // the camera's own render target
    D3DCOLOR backdrop = 0xFF000000;
};

struct DepthBuffer {
    int width;
    int height;
    Com<IDirect3DSurface9> surface;
};

struct Scene {
    std::map<int, std::unique_ptr<ObjectRecord>> objects;
    std::map<int, std::unique_ptr<EffectRecord>> effects;
    std::map<int, std::unique_ptr<ImageRecord>> images;
    std::map<int, std::unique_ptr<CameraRecord>> cameras;
    std::vector<DepthBuffer> depthBuffers;         // one per render-target size met
    int primitivesDrawn = 0;                       // statistics of the last FastSync
    int drawCalls = 0;
    D3DCOLOR fogColour = 0xFF808080;
    float fogStart = 10.0f;
    float fogEnd = 100.0f;
    std::vector<std::string> callLog;
};

// Shared between the scene's files.
ObjectRecord* FindObject(int object);
CameraRecord* FindCamera(int camera);
ImageRecord* FindImage(int image);
EffectRecord* FindEffect(int effectNumber);
// Points the record at `effect`, taking a reference, and finds in it the parameters the renderer
// feeds; the record keeps its address, so the meshes that show it go on showing it.
void UseEffect(EffectRecord& record, ID3DXEffect* effect);
void LogHostCall(const char* format, ...);

// Whether the camera renders into the back buffer rather than a texture of its own (camera 0, unless
// the host options give it a texture).
bool RendersIntoBackBuffer(int camera);
// Hands the limb's vertex and index buffers over to its draw buffer, as the engine does when it
// first draws the object (see HostOptions::buffersAtMake).
void GenerateBuffers(MeshRecord& limb);
// Gives a camera the position, angles, lens and backdrop of a new one.
void ResetCameraSettings(CameraRecord& camera);
// Recomputes a camera's view and projection from its position, angles, field of view, aspect and
// range, and writes them into its record.
void UpdateCameraMatrices(HostCameraData& data);
// Clears every texture-stage entry that shows `texture` (the image is going away).
void ForgetTextureInStages(IDirect3DTexture9* texture);
// Empties every effect texture parameter that shows `texture` (the renderer, and plugins drawing
// with the effects, give stage textures to them, where each holds a reference of its own).
void ForgetTextureInEffects(IDirect3DTexture9* texture);
// Releases every Direct3D object of the scene and empties it (ResetScene, Stop).
void ReleaseScene();
// Releases the image's texture, settling the reference its maker was handed (see images.cpp).
void ReleaseImage(ImageRecord& image);
// Whether the reference MakeRenderTarget handed out is still the image's to give back: its caller
// never kept it, and nobody else holds the texture, so exactly the engine's reference and that one
// are left. With more, a holder still uses the texture, and whether the handed-out reference is
// among the holder's cannot be told: it is left to the holder, whose references stay valid.
bool HandedOutReferenceUnkept(const ImageRecord& image);

} // namespace refhost
