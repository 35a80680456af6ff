#include "mrt_scene.h"

#include <cstdio>

#include "guide_run.h"
#include "effect_files.h"
#include "ref_host.h"
#include "scene_checks.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kCamera = 1;
constexpr int kFirstImage = 40;
constexpr D3DCOLOR kBackdrop = 0xFF102030;

// Each shape gets its own copy of the effect, to which the guide's script gives its colour for
// output 0, a grey that grows with its distance for output 1 (a depth pass), and an identifying
// colour for output 2 (an object-id pass).
// The host steps of the guide name each shape's place, size and turns.
struct Shape {
    const char* step;
    refhost::Shape shape;
    float x, y, z, turn;
    D3DCOLOR colour, depthGrey, id;
};

const Shape kShapes[] = {
    {"object 10: a cube of edge 3 at -3.2, 0, 4, turned 20 degrees about X and 30 about Y, with its own copy of "
     "effects/three_outputs.fx",
     refhost::Shape::Cube, -3.2f, 0.0f, 4.0f, 30.0f, 0xFFE04030, 0xFF505050, 0xFFFFFF00},
    {"object 11: a sphere of diameter 3 at 0, 0.5, 7, turned 20 degrees about X, with its own copy of "
     "effects/three_outputs.fx",
     refhost::Shape::Sphere, 0.0f, 0.5f, 7.0f, 0.0f, 0xFF40C060, 0xFF909090, 0xFF00FFFF},
    {"object 12: a cube of edge 3 at 3.2, 0, 10, turned 20 degrees about X and -25 about Y, with its own copy of "
     "effects/three_outputs.fx",
     refhost::Shape::Cube, 3.2f, 0.0f, 10.0f, -25.0f, 0xFF3070E0, 0xFFD0D0D0, 0xFFFF00FF},
};

bool MakeShape(int number, const Shape& s)
{
    if (!LoadDemoEffect(number, "three_outputs.fx"))
        return false;
    refhost::MeshDescription mesh;
    mesh.shape = s.shape;
    mesh.size = 3.0f;
    const bool made = refhost::MakeObject(number, mesh);
    refhost::SetObjectEffect(number, number);
    refhost::SetObjectPosition(number, s.x, s.y, s.z);
    refhost::SetObjectRotation(number, 20, s.turn, 0);
    return made;
}

// Reads the three outputs back, checks them and writes them side by side.
bool CheckOutputs(const std::string& outDir)
{
    const int image1 = kFirstImage, image2 = kFirstImage + 1;
    refhost::SurfacePixels outputs[3], strip;
    bool read = refhost::ReadCameraPixels(kCamera, outputs[0]) &&
                refhost::ReadTexturePixels(refhost::GetImagePointer(image1), outputs[1]) &&
                refhost::ReadTexturePixels(refhost::GetImagePointer(image2), outputs[2]);
    if (!read) {
        std::fprintf(stderr, "demo: could not read the render targets back\n");
        return false;
    }
    // Side by side, with a 4-pixel gutter between them.
    constexpr int kGutter = 4;
    strip.width = 3 * kWidth + 2 * kGutter;
    strip.height = kHeight;
    strip.pixels.assign(static_cast<size_t>(strip.width) * strip.height, 0xFF000000);
    for (int o = 0; o < 3; ++o)
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                strip.pixels[static_cast<size_t>(y) * strip.width + o * (kWidth + kGutter) + x] = outputs[o].At(x, y);

    // Each shape's centre shows its colour in output 0, its depth grey in 1 and its id in 2; a
    // corner shows the backdrop in every output.
    SceneCheck check("multiple render targets scene");
    for (const Shape& s : kShapes) {
        const D3DXVECTOR3 centre(s.x, s.y, s.z);
        check.Pixel(PixelAtPoint(outputs[0], kCamera, centre), s.colour, "a shape's colour in output 0");
        check.Pixel(PixelAtPoint(outputs[1], kCamera, centre), s.depthGrey, "a shape's grey in output 1");
        check.Pixel(PixelAtPoint(outputs[2], kCamera, centre), s.id, "a shape's id in output 2");
    }
    for (const refhost::SurfacePixels& output : outputs)
        check.Pixel(output.At(2, 2), kBackdrop, "the backdrop in a corner");

    const std::string path = outDir + "\\mrt_outputs.png";
    const bool saved = refhost::SavePng(path.c_str(), strip);
    std::printf("demo: %s %s%s\n", saved ? "wrote" : "could not write", path.c_str(),
                check.Passed() ? "" : " (pixel checks failed)");
    return saved && check.Passed();
}

// The frame after the block: with the sync mask back on camera 0, the host draws its main view
// (from the origin along +Z), which shows the shapes in its view in their first output's colours.
bool DrawMainView()
{
    refhost::SetSyncMask(1);
    refhost::FastSync();
    refhost::SurfacePixels picture;
    SceneCheck check("multiple render targets scene, the frame after");
    int x = 0, y = 0, seen = 0;
    if (check.That(refhost::ReadCameraPixels(0, picture), "camera 0 could not be read back"))
        for (const Shape& s : kShapes)
            if (PixelPlace(picture, 0, D3DXVECTOR3(s.x, s.y, s.z), &x, &y)) {
                check.Pixel(picture.At(x, y), s.colour, "a shape in camera 0's frame");
                ++seen;
            }
    check.That(seen > 0, "no shape lies in camera 0's view");
    return check.Passed();
}

} // namespace

bool RenderMrtScene(const refhost::LoadedPlugin& plugin, const std::string& outDir)
{
    refhost::ResetScene();
    const script::CommandIndex commands = script::IndexCommands(plugin.commands);
    bool checked = false, mainViewDrawn = false;
    GuideRun run;
    run.steps = {
        // Every camera but 0 renders into a texture of its own, never multisampled.
        {"camera 1: a host camera rendering into an image of its own of 320 x 240, not multisampled, at 0, 2.5, -5, "
         "pointed at 0, 0.5, 7, with a dark blue backdrop",
         [](script::ScriptVariables&) {
             const bool made = refhost::MakeCamera(kCamera, kWidth, kHeight);
             refhost::SetCameraBackdrop(kCamera, kBackdrop);
             refhost::SetCameraPosition(kCamera, 0, 2.5f, -5);
             refhost::PointCamera(kCamera, 0, 0.5f, 7);
             return Performed(made);
         }},
        Step("read camera 1's image and images 40 and 41, or show them on objects",
             [&](script::ScriptVariables&) { checked = CheckOutputs(outDir); }),
        Step("set the host's sync mask back to camera 0 and draw the frame: camera 0 shows the shapes",
             [&](script::ScriptVariables&) { mainViewDrawn = DrawMainView(); }),
        Step("delete images 40 and 41 with the host engine when they are no longer needed",
             [](script::ScriptVariables&) {
                 refhost::DeleteImage(kFirstImage);
                 refhost::DeleteImage(kFirstImage + 1);
             }),
    };
    for (int i = 0; i < 3; ++i)
        run.steps.push_back({kShapes[i].step, [i](script::ScriptVariables&) { return Performed(MakeShape(10 + i, kShapes[i])); }});
    const bool ran = OpenGuide(run, "mrt") && RunGuide(run, commands);
    const bool finished = FinishGuide(run);
    refhost::ResetScene();
    return ran && finished && checked && mainViewDrawn;
}
