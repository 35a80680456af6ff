#include "mrt_scene.h"

#include <cstdio>

#include "demo_plugin.h"
#include "effect_files.h"
#include "ref_host.h"
#include "scene_checks.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kCamera = 1;
constexpr int kFirstImage = 40;
constexpr D3DCOLOR kBackdrop = 0xFF102030;

D3DXVECTOR4 Rgb(D3DCOLOR c)
{
    return {((c >> 16) & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, (c & 0xFF) / 255.0f, 1.0f};
}

// Each shape gets its own effect: its colour to output 0, a grey that grows with its distance
// to output 1 (a depth pass), and an identifying colour to output 2 (an object-id pass).
struct Shape {
    refhost::Shape shape;
    float x, y, z, turn;
    D3DCOLOR colour, depthGrey, id;
};

bool MakeShape(int number, const Shape& s)
{
    HostEffect* record = LoadDemoEffect(number, "three_outputs.fx");
    if (!record)
        return false;
    ID3DXEffect* fx = record->effect;
    const D3DXVECTOR4 outputs[] = {Rgb(s.colour), Rgb(s.depthGrey), Rgb(s.id)};
    fx->SetVector("Color0", &outputs[0]);
    fx->SetVector("Color1", &outputs[1]);
    fx->SetVector("Color2", &outputs[2]);
    refhost::MeshDescription mesh;
    mesh.shape = s.shape;
    mesh.size = 3.0f;
    refhost::MakeObject(number, mesh);
    refhost::SetObjectEffect(number, number);
    refhost::SetObjectPosition(number, s.x, s.y, s.z);
    refhost::SetObjectRotation(number, 20, s.turn, 0);
    return true;
}

} // namespace

bool RenderMrtScene(const refhost::LoadedPlugin& plugin, const std::string& outDir)
{
    refhost::ResetScene();
    refhost::MakeCamera(kCamera, kWidth, kHeight);
    refhost::SetCameraBackdrop(kCamera, kBackdrop);
    refhost::SetCameraPosition(kCamera, 0, 2.5f, -5);
    refhost::PointCamera(kCamera, 0, 0.5f, 7);

    const Shape shapes[] = {
        {refhost::Shape::Cube, -3.2f, 0.0f, 4.0f, 30.0f, 0xFFE04030, 0xFF505050, 0xFFFFFF00},
        {refhost::Shape::Sphere, 0.0f, 0.5f, 7.0f, 0.0f, 0xFF40C060, 0xFF909090, 0xFF00FFFF},
        {refhost::Shape::Cube, 3.2f, 0.0f, 10.0f, -25.0f, 0xFF3070E0, 0xFFD0D0D0, 0xFFFF00FF},
    };
    for (int i = 0; i < 3; ++i)
        if (!MakeShape(10 + i, shapes[i]))
            return false;

    const int image1 = kFirstImage, image2 = kFirstImage + 1;
    RunCommand(plugin, "MRT_MakeRenderTarget", image1, kWidth, kHeight);
    RunCommand(plugin, "MRT_MakeRenderTarget", image2, kWidth, kHeight);
    RunCommand(plugin, "MRT_Sync", kCamera, image1, image2, 0);

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
    for (const Shape& s : shapes) {
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
