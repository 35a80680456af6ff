// The showcase: loads Ryxo.dll into the reference host exactly as the engine does and renders its
// scenes, writing one PNG screenshot per scene into the folder given as the first argument.
#include <cstdio>
#include <string>

#include "plugin_loader.h"

namespace {

// The host's own scene, without the plugin: a few lit-less coloured shapes on a floor.
bool RenderHostScene(const std::string& outDir)
{
    refhost::ResetScene();
    refhost::SetCameraBackdrop(0, 0xFF203040);
    refhost::SetCameraPosition(0, 0, 4, -8);
    refhost::PointCamera(0, 0, 0, 4);

    refhost::MeshSpec floor;
    floor.shape = refhost::Shape::Plane;
    floor.size = 14.0f;
    floor.colour = 0xFF506070;
    refhost::MakeObject(1, floor);
    refhost::SetObjectRotation(1, 90, 0, 0);
    refhost::SetObjectPosition(1, 0, -1, 4);

    struct Shape { refhost::Shape shape; D3DCOLOR colour; float x, z, turn; };
    const Shape shapes[] = {
        {refhost::Shape::Cube, 0xFFE04030, -3.0f, 4.0f, 30.0f},
        {refhost::Shape::Sphere, 0xFF40C060, 0.0f, 5.0f, 0.0f},
        {refhost::Shape::Cube, 0xFF3070E0, 3.0f, 4.0f, -20.0f},
    };
    int number = 2;
    for (const Shape& s : shapes) {
        refhost::MeshSpec spec;
        spec.shape = s.shape;
        spec.size = 2.0f;
        spec.colour = s.colour;
        refhost::MakeObject(number, spec);
        refhost::SetObjectPosition(number, s.x, 0, s.z);
        refhost::SetObjectRotation(number, 0, s.turn, 0);
        ++number;
    }
    refhost::FastSync();
    std::string path = outDir + "\\host_scene.png";
    bool saved = refhost::SaveCameraPng(0, path.c_str());
    std::printf("demo: %s %s\n", saved ? "wrote" : "could not write", path.c_str());
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    std::string outDir = argc > 1 ? argv[1] : "screenshots";
    refhost::HostOptions options;
    options.width = 640;
    options.height = 480;
    if (!refhost::Start(options))
        return 1;
    refhost::LoadedPlugin plugin;
    std::string error;
    if (!refhost::LoadPlugin("Ryxo.dll", plugin, error)) {
        std::fprintf(stderr, "demo: %s\n", error.c_str());
        return 1;
    }
    std::printf("demo: Ryxo.dll loaded, %zu commands, depends on", plugin.commands.size());
    for (const std::string& d : plugin.dependencies)
        std::printf(" %s", d.c_str());
    std::printf("\n");
    bool ok = RenderHostScene(outDir);
    refhost::UnloadPlugin(plugin);
    refhost::Stop();
    return ok ? 0 : 1;
}
