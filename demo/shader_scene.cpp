#include "shader_scene.h"

#include <bit>
#include <cstdio>
#include <cmath>
#include <cstdlib>

#include "demo_plugin.h"
#include "effect_files.h"
#include "ref_host.h"
#include "scene_checks.h"

namespace {

// Left: set by value. Middle: set through memory. Right: drawn by the effect's second technique.
constexpr int kByValue = 1, kThroughMemory = 2, kSwitched = 3;
constexpr float kObjectX[] = {0.0f, -4.0f, 0.0f, 4.0f}; // by object number
constexpr int kFrames = 40;
constexpr D3DCOLOR kBackdrop = 0xFF182028;

// The colours the front faces must show (the shade of a face turned to the camera is 1).
constexpr D3DCOLOR kOrangeDimmed = 0xFFBF6913; // (1.0, 0.55, 0.1) x 0.75
constexpr D3DCOLOR kGreen = 0xFF33CC59;        // (0.2, 0.8, 0.35) x 1
constexpr D3DCOLOR kTealInverted = 0xFF26CCBF; // 1 - (0.85, 0.2, 0.25)

// A float result of a command (its bit pattern) against the value the script set.
bool ReadsBack(int bits, float expected) { return std::abs(std::bit_cast<float>(bits) - expected) < 1e-5f; }

bool MakeCube(int object)
{
    if (!LoadDemoEffect(object, "shader_cubes.fx"))
        return false;
    refhost::MeshDescription cube;
    cube.size = 2.0f;
    if (!refhost::MakeObject(object, cube))
        return false;
    refhost::SetObjectEffect(object, object);
    refhost::SetObjectPosition(object, kObjectX[object], 0.0f, 0.0f);
    return true;
}

// Checks the pixel where a point of an object (in the object's own space, before the effect's
// Shape) lands in camera 0's picture.
void CheckPixel(SceneCheck& check, const refhost::SurfacePixels& picture, int object, float x, float y, float z,
                D3DCOLOR expected, const char* what)
{
    check.Pixel(PixelAtPoint(picture, 0, D3DXVECTOR3(kObjectX[object] + x, y, z)), expected, what);
}

} // namespace

bool RenderShaderScene(const refhost::LoadedPlugin& plugin, const std::string& outDir)
{
    refhost::ResetScene();
    for (int object : {kByValue, kThroughMemory, kSwitched})
        if (!MakeCube(object))
            return false;
    refhost::SetCameraBackdrop(0, kBackdrop);
    refhost::SetCameraPosition(0, 0.0f, 3.0f, -10.0f);
    refhost::PointCamera(0, 0.0f, 0.0f, 0.0f);
    refhost::SetSyncMask(1);

    // The script's handles: each cube's effect and the three parameters of each.
    int fx[4] = {}, colour[4] = {}, brightness[4] = {}, shape[4] = {};
    for (int object : {kByValue, kThroughMemory, kSwitched}) {
        fx[object] = RunCommand(plugin, "Object_GetShaderPtr", object, 0);
        colour[object] = RunCommand(plugin, "Shader_GetParameterByName", fx[object], 0, "Color");
        brightness[object] = RunCommand(plugin, "Shader_GetParameterByName", fx[object], 0, "Brightness");
        shape[object] = RunCommand(plugin, "Shader_GetParameterByName", fx[object], 0, "Shape");
        if (!fx[object] || !colour[object] || !brightness[object] || !shape[object]) {
            std::fprintf(stderr, "demo: shader parameters scene: cube %d lacks its effect or a parameter\n", object);
            return false;
        }
    }

    // By value: an orange, stretched to 1.8 times its height.
    RunCommand(plugin, "Shader_SetVectorVal", fx[kByValue], colour[kByValue], 1.0f, 0.55f, 0.1f, 1.0f);
    RunCommand(plugin, "Shader_SetMatrixVal", fx[kByValue], shape[kByValue], 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.8f,
               0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);

    // Through memory the script owns: a vector (16 bytes) and a matrix (64 bytes) laid out by the
    // Poke commands, handed over by address.
    alignas(16) float memory[20] = {};
    const int vectorAddress = static_cast<int>(reinterpret_cast<intptr_t>(&memory[0]));
    const int matrixAddress = static_cast<int>(reinterpret_cast<intptr_t>(&memory[4]));
    RunCommand(plugin, "PokeVector4", vectorAddress, 0.2f, 0.8f, 0.35f, 1.0f);
    RunCommand(plugin, "Shader_SetVector", fx[kThroughMemory], colour[kThroughMemory], vectorAddress);
    RunCommand(plugin, "Shader_SetFloat", fx[kThroughMemory], brightness[kThroughMemory], 1);

    // The second technique draws the inverse of the colour: a red becomes a teal.
    RunCommand(plugin, "Shader_SetVectorVal", fx[kSwitched], colour[kSwitched], 0.85f, 0.2f, 0.25f, 1.0f);
    const int inverted = RunCommand(plugin, "Shader_GetTechniqueByName", fx[kSwitched], "Inverted");
    RunCommand(plugin, "Shader_SetTechnique", fx[kSwitched], inverted);

    // Every frame: the left cube's brightness climbs to 0.75, the middle one widens to 1.6 times.
    for (int frame = 1; frame <= kFrames; ++frame) {
        const float glow = 0.35f + 0.01f * frame;
        RunCommand(plugin, "Shader_SetFloatVal", fx[kByValue], brightness[kByValue], glow);
        const float width = 0.6f + 0.025f * frame;
        RunCommand(plugin, "PokeMatrix4", matrixAddress, width, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                   1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
        RunCommand(plugin, "Shader_SetMatrix", fx[kThroughMemory], shape[kThroughMemory], matrixAddress);
        refhost::FastSync();
    }

    // The values read back as the script set them.
    SceneCheck check("shader parameters scene");
    check.That(ReadsBack(RunCommand(plugin, "Shader_GetFloatVal", fx[kByValue], brightness[kByValue]), 0.75f),
               "the left cube's brightness does not read back as 0.75");
    RunCommand(plugin, "Shader_GetVectorVal", fx[kThroughMemory], colour[kThroughMemory]);
    check.That(ReadsBack(RunCommand(plugin, "Shader_Return", 1), 0.8f),
               "the middle cube's colour does not read back with green 0.8");
    RunCommand(plugin, "Shader_GetMatrixVal", fx[kThroughMemory], shape[kThroughMemory]);
    check.That(ReadsBack(RunCommand(plugin, "Shader_Return", 0), 1.6f), "the middle cube's shape does not read back 1.6 wide");
    check.That(RunCommand(plugin, "Shader_GetCurrentTechnique", fx[kSwitched]) == inverted,
               "the right cube's effect is not on its second technique");

    // The pixels: each front face in its colour, the stretched parts drawn, the backdrop between.
    refhost::SurfacePixels picture;
    check.That(refhost::ReadCameraPixels(0, picture), "camera 0 could not be read back");
    CheckPixel(check, picture, kByValue, 0.0f, 0.0f, -1.0f, kOrangeDimmed, "left cube, colour x brightness");
    CheckPixel(check, picture, kByValue, 0.0f, 1.6f, 0.0f, kOrangeDimmed, "left cube above a plain cube's height");
    CheckPixel(check, picture, kThroughMemory, 0.0f, 0.0f, -1.0f, kGreen, "middle cube, colour from memory");
    CheckPixel(check, picture, kThroughMemory, 1.4f, 0.0f, 0.0f, kGreen, "middle cube past a plain cube's width");
    CheckPixel(check, picture, kThroughMemory, 0.0f, 1.6f, 0.0f, kBackdrop, "above the middle cube");
    CheckPixel(check, picture, kSwitched, 0.0f, 0.0f, -1.0f, kTealInverted, "right cube, second technique");
    CheckPixel(check, picture, kSwitched, -2.0f, 0.0f, -1.0f, kBackdrop, "between the middle and right cubes");
    const bool ok = check.Passed();

    const std::string path = outDir + "/shader_parameters.png";
    const bool saved = refhost::SavePng(path.c_str(), picture);
    std::printf("demo: three cubes whose effect parameters the script set -> %s%s%s\n", path.c_str(),
                saved ? "" : " (not written)", ok ? "" : " (pixel checks failed)");
    refhost::ResetScene();
    return saved && ok;
}
