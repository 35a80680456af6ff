// Reference counts over whole create / use / delete cycles of the built Ryxo.dll in the reference
// host, one row per cycle: effect camera targets, cube textures and their applications, instance
// sets (buffers, index buffers, declarations) and MRT images, also with the device lost half-way.
// After each row and the host's next frame, the Direct3D objects the plugin made are back to the
// count before it, every object the host owns and the plugin borrows has the count it had, and the
// images the row made are alive while they exist and die with the host's deletion. After the
// plugin's unload the count is still the one before the first row.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gmock/gmock.h>

#include "checked_call.h"
#include "effect_creation.h"
#include "effect_library.h"
#include "import_redirect.h"
#include "plugin_loader.h"
#include "ref_host.h"
#include "reference_count.h"
#include "resource_census.h"
#include "scoped_recording_device.h"
#include "setup_library_unbound.h"

namespace {

constexpr int kInstancingEffect = 1, kThreeOutputEffect = 2, kTexturedEffect = 3;
constexpr int kIndexedObject = 1, kUnindexedObject = 2, kThreeOutputObject = 3, kTwoLimbObject = 4;
constexpr int kPlainImage = 1, kHostTargetImage = 5;
constexpr int kHostCamera = 1;
constexpr int kFirstRowImage = 20, kLastRowImage = 40; // the images rows make
constexpr int kCamera = 2;

std::vector<std::string> g_messages;
int WINAPI NoteMessageBox(HWND, LPCSTR text, LPCSTR, UINT)
{
    g_messages.push_back(text ? text : "");
    return IDOK;
}

void PrepareModule(HMODULE module)
{
    RedirectImport(module, "user32.dll", "MessageBoxA", reinterpret_cast<void*>(&NoteMessageBox));
    // With the display-mode function unbound, D3DDeviceLost gives back everything the plugin made.
    UnbindDisplayMode(module);
}

// The script side of one cycle: commands typed by their prototypes, a frame of the host, a device
// loss. The texture of every row image that exists after a call is put in `images`, to see it die.
struct Script {
    const refhost::LoadedPlugin& plugin;
    RecordingDevice& device;
    ResourceCensus& images;

    // Through CALL: s.CALL(EfxCam_MakeNew, kCamera).
    template <typename Function, typename... Args>
    int CallExport(const char* exportName, Args... args)
    {
        const int result = CallCommandExport<Function>(plugin, exportName, args...);
        for (int image = kFirstRowImage; image <= kLastRowImage; ++image)
            images.Track(refhost::GetImagePointer(image));
        return result;
    }
    void Frame() { refhost::FastSync(); }
    void DeviceLost() { refhost::ExportAs<void(__cdecl*)()>(plugin, "?D3DDeviceLost@@YAXXZ")(); }
};

struct Row {
    const char* name;
    std::function<void(Script&)> cycle;
    size_t messages = 0; // the refusals the row provokes, each a message box
};

const std::string kSavePath = (std::filesystem::temp_directory_path() / "ryxo_reference_counts.dds").string();

void CameraTargetsAndObject(Script& s)
{
    s.CALL(EfxCam_MakeNew, kCamera);
    s.CALL(EfxCam_SetToImage, kCamera, 20, 64, 64);
    s.CALL(EfxCam_SetToImageFormat, kCamera, 21, 64, 64, static_cast<int>(D3DFMT_A8R8G8B8)); // replaces 20
    s.CALL(EfxCam_SetToImage, kCamera, 20, 64, 64);                                          // replaces 21
    for (int slot = 1; slot <= 3; ++slot)
        s.CALL(EfxCam_SetMRTImage, kCamera, slot, 21 + slot);
    s.CALL(EfxCam_SetMRTImageFormat, kCamera, 1, 25, static_cast<int>(D3DFMT_A8R8G8B8)); // replaces 22
    s.CALL(EfxCam_SetMRTImage, kCamera, 1, 22);                                           // replaces 25
    s.CALL(EfxCam_SetObject, kCamera, kThreeOutputObject);
    s.CALL(EfxCam_SyncMask, 1 << kCamera);
    s.CALL(EfxCam_Sync);
}

int MakeCubes(Script& s, int (&cubes)[3])
{
    cubes[0] = s.CALL(CubeTex_MakeNew, 32, 1);
    cubes[1] = s.CALL(CubeTex_MakeNewFormat, 32, 0, static_cast<int>(D3DFMT_A8R8G8B8));
    cubes[2] = s.CALL(CubeTex_MakeNew, 32, 0);
    s.CALL(CubeTex_Sync, cubes[0], kHostCamera);
    s.CALL(CubeTex_SyncMRT, cubes[0], cubes[1], 0, 0, kHostCamera);
    s.CALL(CubeTex_SyncMRT, cubes[1], cubes[0], cubes[2], 0, kHostCamera);
    s.CALL(CubeTex_DrawToFace, cubes[2], 4);
    s.Frame();
    s.CALL(CubeTex_ApplyObject, cubes[0], kTwoLimbObject, 0);
    s.Frame();
    s.CALL(CubeTex_ApplyLimb, cubes[1], kTwoLimbObject, 1, 0);
    s.Frame();
    return cubes[0];
}

int MakeInstanceSet(Script& s, int object)
{
    const int set = s.CALL(GeoInst_MakeNew);
    s.CALL(GeoInst_SetMesh, set, object, 0);
    s.CALL(GeoInst_SetMaxInstanceCount, set, 4);
    s.CALL(GeoInst_SetMaxInstanceCount, set, 40); // the instance buffer is made again
    s.CALL(GeoInst_SetInstanceCount, set, 40);
    s.CALL(GeoInst_Update, set);
    s.Frame();
    s.CALL(GeoInst_DeclareCustomElements, set, 1); // a new declaration, then another
    s.CALL(GeoInst_AddCustomElement, set, 4);
    s.CALL(GeoInst_FinishCustomElements, set);
    s.CALL(GeoInst_DeclareCustomElements, set, 0);
    s.CALL(GeoInst_AddCustomElement, set, 2);
    s.CALL(GeoInst_AddCustomElement, set, 3);
    s.CALL(GeoInst_FinishCustomElements, set);
    s.CALL(GeoInst_Update, set);
    s.Frame();
    return set;
}

void MrtImagesSynced(Script& s)
{
    s.CALL(MRT_MakeRenderTarget, 30, 64, 64);
    s.CALL(MRT_MakeRenderTargetFormat, 31, 64, 64, static_cast<int>(D3DFMT_A8R8G8B8));
    s.CALL(MRT_MakeRenderTarget, 32, 64, 64);
    s.CALL(MRT_Sync, kHostCamera, 30, 0, 0);
    s.CALL(MRT_Sync, kHostCamera, 30, 31, 0);
    s.CALL(MRT_Sync, kHostCamera, 30, 31, 32);
    s.CALL(MRT_MakeRenderTarget, 30, 32, 32); // the host replaces image 30
    s.CALL(MRT_Sync, kHostCamera, kHostTargetImage, 30, 0);
    s.CALL(MRT_Sync, kHostCamera, kPlainImage, 0, 0); // not a render target: bound in vain, given back
}

const Row kRows[] = {
    {"effect camera: targets set, replaced twice, detached, drawn, deleted",
     [](Script& s) {
         CameraTargetsAndObject(s);
         s.CALL(EfxCam_SetMRTImage, kCamera, 3, 0);
         s.CALL(EfxCam_Sync);
         s.CALL(EfxCam_SetToImage, kCamera, 0, 0, 0); // every target detached
         s.CALL(EfxCam_SetToImage, kCamera, 26, 32, 32);
         s.CALL(EfxCam_SetMRTImage, kCamera, 1, 27);
         s.CALL(EfxCam_Sync);
         s.CALL(EfxCam_Delete, kCamera);
     }},
    {"cube textures: made, rendered alone and with two and three cubes, drawn to, applied, saved, deleted",
     [](Script& s) {
         int cubes[3];
         MakeCubes(s, cubes);
         s.CALL(CubeTex_Save, cubes[0], kSavePath.c_str());
         EXPECT_TRUE(std::filesystem::exists(kSavePath));
         s.CALL(CubeTex_ApplyObject, cubes[2], kTwoLimbObject, 0); // replaces both applied cubes
         s.Frame();
         for (int cube : cubes)
             s.CALL(CubeTex_Delete, cube);
     }},
    {"cube texture applied to a hidden object an effect camera draws, deleted before the camera",
     [](Script& s) {
         refhost::HideObject(kTwoLimbObject); // only the camera hands the cube to the object's effect
         const int cube = s.CALL(CubeTex_MakeNew, 16, 1);
         s.CALL(CubeTex_ApplyObject, cube, kTwoLimbObject, 0);
         s.CALL(EfxCam_MakeNew, kCamera);
         s.CALL(EfxCam_SetToImage, kCamera, 20, 32, 32);
         s.CALL(EfxCam_SetObject, kCamera, kTwoLimbObject);
         s.CALL(EfxCam_SyncMask, 1 << kCamera);
         s.CALL(EfxCam_Sync);
         s.Frame();
         s.CALL(CubeTex_Delete, cube);
         s.CALL(EfxCam_Delete, kCamera);
     }},
    {"instance set on an indexed mesh: buffer replaced, two custom layouts and the default again, drawn, deleted",
     [](Script& s) {
         const int set = MakeInstanceSet(s, kIndexedObject);
         s.CALL(GeoInst_DeleteCustomElements, set);
         s.CALL(GeoInst_Update, set);
         s.Frame();
         s.CALL(GeoInst_Delete, set);
     }},
    {"instance set on a mesh without indices, moved to an indexed mesh and back, deleted",
     [](Script& s) {
         const int set = MakeInstanceSet(s, kUnindexedObject);
         s.CALL(GeoInst_SetMesh, set, kIndexedObject, 0);
         s.CALL(GeoInst_Update, set);
         s.Frame();
         s.CALL(GeoInst_SetMesh, set, kUnindexedObject, 0);
         s.CALL(GeoInst_SetMaxInstanceCount, set, 8);
         s.CALL(GeoInst_Update, set);
         s.Frame();
         s.CALL(GeoInst_Delete, set);
     }},
    {"cube texture applied to a hidden mesh an instance set draws, deleted before the set",
     [](Script& s) {
         const int cube = s.CALL(CubeTex_MakeNew, 16, 0);
         s.CALL(CubeTex_ApplyObject, cube, kIndexedObject, 0);
         const int set = MakeInstanceSet(s, kIndexedObject);
         s.CALL(CubeTex_Delete, cube);
         s.CALL(GeoInst_Delete, set);
     }},
    {"MRT images made, made again, rendered into with one to three images",
     [](Script& s) { MrtImagesSynced(s); }},
    {"refused half-way: a target the host cannot make, buffers, an index buffer, a declaration and a cube "
     "texture the device refuses",
     [](Script& s) {
         s.CALL(EfxCam_MakeNew, kCamera);
         s.CALL(EfxCam_SetToImage, kCamera, 20, 64, 64);
         s.CALL(EfxCam_SetMRTImage, kCamera, 1, 21);
         s.CALL(EfxCam_SetToImage, kCamera, 22, 0, 0); // refused: image 20 released, slot 1 kept
         s.CALL(EfxCam_Delete, kCamera);
         s.CALL(MRT_MakeRenderTarget, 23, 0, 64);      // refused
         const int set = s.CALL(GeoInst_MakeNew);
         s.CALL(GeoInst_SetMesh, set, kUnindexedObject, 0);
         s.CALL(GeoInst_SetMaxInstanceCount, set, 8);
         s.device.FailCall(DeviceMethod::CreateVertexBuffer, 1);
         s.CALL(GeoInst_SetMaxInstanceCount, set, 16); // refused: no instance buffer
         s.CALL(GeoInst_SetMaxInstanceCount, set, 12);
         s.device.FailCall(DeviceMethod::CreateIndexBuffer, 1);
         s.CALL(GeoInst_SetMesh, set, kUnindexedObject, 0); // refused: the old binding stays
         s.device.FailCall(DeviceMethod::CreateVertexDeclaration, 1);
         s.CALL(GeoInst_DeclareCustomElements, set, 1);
         s.CALL(GeoInst_AddCustomElement, set, 4);
         s.CALL(GeoInst_FinishCustomElements, set); // refused: no declaration
         s.CALL(GeoInst_DeleteCustomElements, set);
         s.CALL(GeoInst_Update, set);
         s.Frame();
         s.CALL(GeoInst_Delete, set);
         s.device.FailCall(DeviceMethod::CreateCubeTexture, 1);
         EXPECT_EQ(s.CALL(CubeTex_MakeNew, 16, 1), 0); // refused
         s.device.ClearFailures();
     },
     6},
    {"effect camera: device lost after drawing, the camera made again and deleted",
     [](Script& s) {
         CameraTargetsAndObject(s);
         s.DeviceLost();
         s.Frame();
         s.CALL(EfxCam_MakeNew, kCamera);
         s.CALL(EfxCam_SetToImage, kCamera, 20, 32, 32); // the host's image 20 is replaced
         s.CALL(EfxCam_Delete, kCamera);
     }},
    {"cube textures: device lost after they were rendered and applied",
     [](Script& s) {
         int cubes[3];
         MakeCubes(s, cubes);
         s.CALL(CubeTex_DrawToFace, cubes[1], 0);
         s.DeviceLost();
         s.Frame();
         s.CALL(CubeTex_Delete, s.CALL(CubeTex_MakeNew, 16, 0));
     }},
    {"instance sets: device lost after drawing, on both kinds of mesh",
     [](Script& s) {
         MakeInstanceSet(s, kIndexedObject);
         MakeInstanceSet(s, kUnindexedObject);
         s.DeviceLost();
         s.Frame();
         s.CALL(GeoInst_Delete, MakeInstanceSet(s, kUnindexedObject));
     }},
    {"MRT images: device lost between two renderings",
     [](Script& s) {
         MrtImagesSynced(s);
         s.DeviceLost();
         s.CALL(MRT_Sync, kHostCamera, 30, 31, 32);
     }},
};

void AddEffect(int number, const refhost::EffectDescription& description)
{
    std::string error;
    ASSERT_NE(refhost::AddDescribedEffect(number, description, &error), nullptr) << error;
}

// Host side: hidden meshes for the instance sets, an object writing three colours in front of the
// cameras, a two-limb textured object cube textures are applied to, a plain image it shows, a
// render-target image and camera 1.
void MakeHostScene()
{
    AddEffect(kInstancingEffect, refhost::InstancingEffectDescription());
    AddEffect(kThreeOutputEffect, refhost::ThreeOutputEffectDescription());
    AddEffect(kTexturedEffect, refhost::PlainEffectDescription({.textured = true}));
    refhost::MakeImage(kPlainImage, 8, 8, 0xFF808080);
    const refhost::MeshDescription meshes[] = {
        {.size = 2.0f, .texCoordSets = 1, .textureStages = 1},
        {.size = 2.0f, .indexed = false, .texCoordSets = 1},
        {.size = 4.0f},
        {.shape = refhost::Shape::Sphere, .texCoordSets = 1, .limbs = 2, .limbSpacing = 2.0f, .textureStages = 1,
         .image = kPlainImage},
    };
    const int effects[] = {kInstancingEffect, kInstancingEffect, kThreeOutputEffect, kTexturedEffect};
    for (int object = 1; object <= 4; ++object) {
        ASSERT_TRUE(refhost::MakeObject(object, meshes[object - 1]));
        refhost::SetObjectEffect(object, effects[object - 1]);
        refhost::SetObjectPosition(object, 0.0f, 0.0f, 10.0f);
    }
    refhost::FastSync(); // the host makes the objects' buffers as it first draws them
    refhost::HideObject(kIndexedObject);
    refhost::HideObject(kUnindexedObject);
    ASSERT_NE(refhost::MakeRenderTarget(kHostTargetImage, 64, 64, D3DFMT_UNKNOWN), nullptr);
    ASSERT_TRUE(refhost::MakeCamera(kHostCamera, 64, 64));
}

// Objects the host owns that the plugin borrows, with their counts when the rows start.
struct Borrowed {
    const char* name;
    IUnknown* object;
    ULONG count;
};

std::vector<Borrowed> HostObjects()
{
    IDirect3DDevice9* device = refhost::RealDevice();
    IDirect3DSurface9 *target = nullptr, *depth = nullptr;
    device->GetRenderTarget(0, &target);
    device->GetDepthStencilSurface(&depth);
    std::vector<Borrowed> objects = {
        {"render target 0 (the back buffer, camera 0's target)", target},
        {"depth surface", depth},
        {"plain image", refhost::GetImagePointer(kPlainImage)},
        {"render-target image", refhost::GetImagePointer(kHostTargetImage)},
        {"camera 1's target", refhost::GetCameraTarget(kHostCamera)},
        {"instancing effect", refhost::GetEffectRecord(kInstancingEffect)->effect},
        {"three-output effect", refhost::GetEffectRecord(kThreeOutputEffect)->effect},
        {"textured effect (cube textures applied)", refhost::GetEffectRecord(kTexturedEffect)->effect},
    };
    target->Release(); // the host keeps both
    depth->Release();
    for (int object : {kIndexedObject, kUnindexedObject, kThreeOutputObject}) {
        const HostDrawBuffer* buffers = refhost::GetLimbMesh(object, 0)->drawBuffer;
        objects.push_back({"a mesh's vertex buffer", buffers->vertexBuffer});
        if (buffers->indexBuffer)
            objects.push_back({"a mesh's index buffer", buffers->indexBuffer});
    }
    for (Borrowed& borrowed : objects)
        borrowed.count = ReferenceCount(borrowed.object);
    return objects;
}

std::string Breakdown(const ResourceCensus& census)
{
    char text[200];
    std::snprintf(text, sizeof text, "%d surfaces, %d textures, %d cube textures, %d vertex buffers, %d index buffers",
                  census.LiveOfType(D3DRTYPE_SURFACE), census.LiveOfType(D3DRTYPE_TEXTURE),
                  census.LiveOfType(D3DRTYPE_CUBETEXTURE), census.LiveOfType(D3DRTYPE_VERTEXBUFFER),
                  census.LiveOfType(D3DRTYPE_INDEXBUFFER));
    return text;
}

TEST(ReferenceCounts, EveryCycleGivesBackWhatItTookAndTheUnloadLeavesNothing)
{
    ASSERT_TRUE(refhost::Start());
    refhost::ResetScene();
    MakeHostScene();
    ScopedRecordingDevice recorder;
    ASSERT_NE(recorder.Get(), nullptr);
    recorder->WatchDeclarations(true);
    const ResourceCensus& census = recorder->Census();
    const int beforeLoad = census.Live(), declarationsBeforeLoad = census.LiveDeclarations();
    refhost::LoadedPlugin plugin;
    std::string error;
    ASSERT_TRUE(refhost::LoadPlugin("Ryxo.dll", plugin, error, PrepareModule)) << error;
    refhost::FastSync(); // the host's own frame gives its effects the textures they show
    const std::vector<Borrowed> borrowed = HostObjects();

    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        g_messages.clear();
        ResourceCensus rowImages;
        Script script{plugin, *recorder, rowImages};
        const int made = census.Created(), live = census.Live(), declarations = census.LiveDeclarations();
        row.cycle(script);
        refhost::FastSync();
        EXPECT_GT(census.Created() + rowImages.Created(), made) << "the row made nothing";
        EXPECT_EQ(census.Live(), live) << "left alive: " << Breakdown(census);
        EXPECT_EQ(census.LiveDeclarations(), declarations) << "vertex declarations left alive";

        // A cube texture applied to the two-limb object took its image's place, and a row may have
        // hidden it; the host shows both again, so its effect holds the image as before the row.
        refhost::ShowObject(kTwoLimbObject);
        refhost::SetTextureStage(kTwoLimbObject, 0, kPlainImage);
        refhost::FastSync();
        for (const Borrowed& object : borrowed)
            EXPECT_EQ(ReferenceCount(object.object), object.count) << object.name;
        EXPECT_THAT(g_messages, testing::SizeIs(row.messages));

        // The row's images: alive while the host has them, held at most by the host and the one
        // reference it handed out, and gone with the host's deletion.
        int existing = 0;
        for (int image = kFirstRowImage; image <= kLastRowImage; ++image) {
            if (IDirect3DTexture9* texture = refhost::GetImagePointer(image)) {
                ++existing;
                EXPECT_LE(ReferenceCount(texture), 2u) << "image " << image;
            }
        }
        EXPECT_EQ(rowImages.Live(), existing) << "row images alive, against those the host has";
        for (int image = kFirstRowImage; image <= kLastRowImage; ++image)
            refhost::DeleteImage(image);
        refhost::FastSync();
        EXPECT_EQ(rowImages.Live(), 0) << "a row image outlived the host's deletion";
    }

    refhost::UnloadPlugin(plugin);
    EXPECT_EQ(census.Live(), beforeLoad) << "left alive after the unload: " << Breakdown(census);
    EXPECT_EQ(census.LiveDeclarations(), declarationsBeforeLoad) << "vertex declarations left after the unload";
    std::filesystem::remove(kSavePath);
    recorder->WatchDeclarations(false);
    refhost::ResetScene();
}

} // namespace
