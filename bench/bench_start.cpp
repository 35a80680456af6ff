#include "bench_start.h"

#include <cstdio>
#include <string>

#include "ref_host.h"

bool StartHostWithPlugin(refhost::LoadedPlugin& plugin)
{
    if (!refhost::Start()) {
        std::fprintf(stderr, "bench: the reference host could not create its device\n");
        return false;
    }
    std::string error;
    if (!refhost::LoadPlugin("Ryxo.dll", plugin, error)) {
        std::fprintf(stderr, "bench: %s\n", error.c_str());
        return false;
    }
    return true;
}

void StopHostWithPlugin(refhost::LoadedPlugin& plugin)
{
    refhost::ResetScene();
    refhost::UnloadPlugin(plugin);
    refhost::Stop();
}
