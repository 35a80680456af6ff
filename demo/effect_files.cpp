#include "effect_files.h"

#include <cstdio>
#include <string>

#include "effect_file.h"

HostEffect* LoadDemoEffect(int effect, const char* file)
{
    // RYXO_EFFECTS_DIR: the source tree's effects/ folder, set by the build.
    const std::string path = std::string(RYXO_EFFECTS_DIR) + "/" + file;
    std::string error;
    HostEffect* record = refhost::LoadEffectFile(effect, path.c_str(), &error);
    if (!record)
        std::fprintf(stderr, "demo: %s\n", error.c_str());
    return record;
}
