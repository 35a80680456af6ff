#include "effectcam_scene.h"

#include <cstdio>

#include "effect_files.h"
#include "guide_run.h"
#include "ref_host.h"
#include "scene_checks.h"

namespace {

constexpr int kCube = 1, kQuad = 2;
constexpr int kCubeEffect = 1;
constexpr int kChequerImage = 1, kCameraImage = 2, kIdImage = 3, kGreyImage = 4;
constexpr D3DCOLOR kChequerA = 0xFFF0B030, kChequerB = 0xFF3060D0;
constexpr D3DCOLOR kCameraBackdrop = 0xFF283848;
constexpr D3DCOLOR kId = 0xFFFF00FF; // IdColor of camera_object.fx

// An image of 8 x 8 squares in two colours, for the cube's faces.
bool MakeChequer(int image)
{
    IDirect3DTexture9* texture = refhost::MakeImage(image, 64, 64, 0);
    D3DLOCKED_RECT locked{};
    if (!texture || FAILED(texture->LockRect(0, &locked, nullptr, 0)))
        return false;
    for (int y = 0; y < 64; ++y) {
        auto* row = reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
        for (int x = 0; x < 64; ++x)
            row[x] = ((x / 8 + y / 8) & 1) ? kChequerA : kChequerB;
    }
    texture->UnlockRect(0);
    return true;
}

// How many pixels of `picture` show `colour`.
int CountColour(const refhost::SurfacePixels& picture, D3DCOLOR colour)
{
    int count = 0;
    for (D3DCOLOR pixel : picture.pixels)
        count += NearColour(colour, pixel, 4) ? 1 : 0;
    return count;
}

// The grey camera_object.fx's second technique writes for a colour.
D3DCOLOR Grey(D3DCOLOR c)
{
    const float grey = 0.299f * ((c >> 16) & 0xFF) + 0.587f * ((c >> 8) & 0xFF) + 0.114f * (c & 0xFF);
    const D3DCOLOR g = static_cast<D3DCOLOR>(grey + 0.5f);
    return 0xFF000000 | g << 16 | g << 8 | g;
}

// The host's side of the guide's script.
std::vector<HostStep> HostSteps()
{
    return {
        {"object 1: a cube of edge 2 at 0, 0, 50, its texture stage 0 showing a chequered image of 64 x 64, squares of "
         "8 in orange and blue",
         [](script::ScriptVariables&) {
             refhost::MeshDescription cube;
             cube.size = 2.0f;
             cube.texCoordSets = 1;
             cube.textureStages = 1;
             cube.image = kChequerImage;
             const bool made = MakeChequer(kChequerImage) && refhost::MakeObject(kCube, cube);
             refhost::SetObjectPosition(kCube, 0.0f, 0.0f, 50.0f);
             return Performed(made);
         }},
        // The cube is drawn by the effect camera only, through camera_object.fx, which samples the
        // texture of the mesh's stage 0 (the camera hands it to the effect's texture parameter).
        {"apply effects/camera_object.fx to object 1 (it samples the texture stage 0)",
         [](script::ScriptVariables&) {
             const bool loaded = LoadDemoEffect(kCubeEffect, "camera_object.fx") != nullptr;
             refhost::SetObjectEffect(kCube, kCubeEffect);
             return Performed(loaded);
         }},
        // The engine's sync command: the frame makes the cube's buffers, which the effect camera needs.
        Step("the host draws one frame, in which camera 0 sees object 1: the engine makes the object's vertex buffer",
             [](script::ScriptVariables&) { refhost::FastSync(); }),
        Step("hide object 1", [](script::ScriptVariables&) { refhost::HideObject(kCube); }),
        {"object 2: a flat quad of side 6 at 0, 0, 0, turned 20 degrees about Y, its texture stage 0 showing image 2",
         [](script::ScriptVariables&) {
             refhost::MeshDescription quad;
             quad.shape = refhost::Shape::Plane;
             quad.size = 6.0f;
             quad.texCoordSets = 1;
             quad.textureStages = 1;
             const bool made = refhost::MakeObject(kQuad, quad);
             refhost::SetTextureStage(kQuad, 0, kCameraImage);
             refhost::SetObjectRotation(kQuad, 0.0f, 20.0f, 0.0f);
             return Performed(made);
         }},
        Step("host camera 0 at 0, 0, -8 looking along +Z, with a near-black backdrop, 0xFF101418",
             [](script::ScriptVariables&) {
                 refhost::SetCameraBackdrop(0, 0xFF101418);
                 refhost::SetCameraPosition(0, 0.0f, 0.0f, -8.0f);
                 refhost::SetCameraRotation(0, 0.0f, 0.0f, 0.0f);
             }),
        Step("turn object 1 to 1.5 * frame degrees about Y",
             [](script::ScriptVariables& variables) {
                 const script::Value* frame = script::FindVariable(variables, "frame");
                 refhost::SetObjectRotation(kCube, 0.0f, 1.5f * float(frame ? frame->integer : 0), 0.0f);
             }),
        Step("draw the host's frame: host camera 0 sees the quad showing image 2",
             [](script::ScriptVariables&) { refhost::FastSync(); }),
    };
}

} // namespace

bool RenderEffectCameraScene(const refhost::LoadedPlugin& plugin, const std::string& outDir)
{
    refhost::ResetScene();
    const script::CommandIndex commands = script::IndexCommands(plugin.commands);
    GuideRun run;
    run.steps = HostSteps();
    const bool ran = OpenGuide(run, "effectcam") && RunGuide(run, commands, "Extra images");

    // The camera's image: the chequer on the cube at its centre, the backdrop in a corner.
    SceneCheck check("effect camera scene");
    refhost::SurfacePixels image;
    if (check.That(refhost::ReadTexturePixels(refhost::GetImagePointer(kCameraImage), image),
                   "the camera's image could not be read back")) {
        check.That(CountColour(image, kChequerA) > 100 && CountColour(image, kChequerB) > 100,
                   "the camera's image does not show both colours of the chequer");
        check.Pixel(image.At(2, 2), kCameraBackdrop, "the camera's backdrop in a corner");
    }
    const std::string path = outDir + "/effect_camera.png";
    const bool saved = refhost::SaveCameraPng(0, path.c_str());
    std::printf("demo: a cube seen by a circling effect camera, shown on a quad -> %s%s\n", path.c_str(),
                saved ? "" : " (not written)");

    // The extra images of the effect's second technique: IdColor wherever the cube is, and the
    // chequer in grey.
    RunGuide(run, commands, "Cleaning up");
    refhost::SurfacePixels idImage, greyImage;
    if (check.That(refhost::ReadTexturePixels(refhost::GetImagePointer(kIdImage), idImage) &&
                       refhost::ReadTexturePixels(refhost::GetImagePointer(kGreyImage), greyImage),
                   "the camera's extra images could not be read back")) {
        check.Pixel(idImage.At(idImage.width / 2, idImage.height / 2), kId, "the id colour at the extra image's centre");
        check.Pixel(idImage.At(2, 2), kCameraBackdrop, "the backdrop in a corner of the extra image");
        check.That(CountColour(greyImage, Grey(kChequerA)) > 100 && CountColour(greyImage, Grey(kChequerB)) > 100,
                   "the second extra image does not show the chequer in grey");
    }
    RunGuide(run, commands);
    const bool finished = FinishGuide(run);
    refhost::ResetScene();
    return ran && finished && saved && check.Passed();
}
