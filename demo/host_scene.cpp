#include "host_scene.h"

#include <cstdio>

#include "ref_host.h"

// The host's own scene, without the plugin: a few lit-less coloured shapes on a floor.
bool RenderHostScene(const std::string& outDir)
{
    refhost::ResetScene();
    refhost::SetCameraBackdrop(0, 0xFF203040);
    refhost::SetCameraPosition(0, 0, 4, -8);
    refhost::PointCamera(0, 0, 0, 4);

    refhost::MeshDescription floor;
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
        refhost::MeshDescription meshDescription;
        meshDescription.shape = s.shape;
        meshDescription.size = 2.0f;
        meshDescription.colour = s.colour;
        refhost::MakeObject(number, meshDescription);
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
