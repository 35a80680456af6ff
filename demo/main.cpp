// The showcase: loads Ryxo.dll into the reference host exactly as the engine does and renders its
// scenes, writing one PNG screenshot per scene into the folder given as the first argument. Each
// scene checks its pixels; the exit code is 1 when any check or scene failed.
#include <cstdio>
#include <string>

#include <windows.h>

#include "effectcam_scene.h"
#include "host_scene.h"
#include "instancing_scene.h"
#include "message_answers.h"
#include "million_instances_scene.h"
#include "mrt_scene.h"
#include "plugin_loader.h"
#include "shader_scene.h"

int main(int argc, char** argv)
{
    std::string outDir = argc > 1 ? argv[1] : "screenshots";
    CreateDirectoryA(outDir.c_str(), nullptr); // there already, or made now
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
    StartAnsweringMessages();
    bool ok = RenderHostScene(outDir);
    ok = RenderInstancingScene(plugin, outDir) && ok;
    ok = RenderMillionInstancesScene(plugin, outDir) && ok;
    ok = RenderEffectCameraScene(plugin, outDir) && ok;
    ok = RenderMrtScene(plugin, outDir) && ok;
    ok = RenderShaderScene(plugin, outDir) && ok;
    StopAnsweringMessages();
    refhost::UnloadPlugin(plugin);
    refhost::Stop();
    return ok ? 0 : 1;
}
