#include "bench_support.h"

#include <cstdio>
#include <vector>

#include "effect_creation.h"

bool Commands::Load(const refhost::LoadedPlugin& plugin)
{
    bool ok = true;
    auto get = [&](auto& fn, const char* name) {
        fn = refhost::ExportAs<std::remove_reference_t<decltype(fn)>>(plugin, name);
        if (!fn) {
            std::fprintf(stderr, "bench: Ryxo.dll has no export %s\n", name);
            ok = false;
        }
    };
    get(makeNew, "GeoInst_MakeNew");
    get(sync, "GeoInst_Sync");
    get(update, "GeoInst_Update");
    get(deleteSet, "GeoInst_Delete");
    get(drawCount, "GeoInst_GetDrawCount");
    get(setMaxInstanceCount, "GeoInst_SetMaxInstanceCount");
    get(setInstanceCount, "GeoInst_SetInstanceCount");
    get(updateInstance, "GeoInst_UpdateInstance");
    get(setHidden, "GeoInst_SetHidden");
    get(worldMatrixPtr, "GeoInst_GetWorldMatrixPtr");
    get(setMesh, "GeoInst_SetMesh");
    get(setExcluded, "GeoInst_SetExcluded");
    get(setPosition, "GeoInst_SetPosition");
    get(setRotation, "GeoInst_SetRotation");
    get(setScaleUniform, "GeoInst_SetScaleUniform");
    return ok;
}

bool MakeEffect(int number, const refhost::EffectDescription& description)
{
    std::string error;
    if (!refhost::AddDescribedEffect(number, description, &error)) {
        std::fprintf(stderr, "bench: effect %d: %s\n", number, error.c_str());
        return false;
    }
    return true;
}

refhost::MeshDescription SmallCube()
{
    refhost::MeshDescription meshDescription;
    meshDescription.size = 0.8f;
    return meshDescription;
}

void Finish() { refhost::ReadCameraPixel(0, 0, 0); }

void WaitForDevice() { WaitUntilIdle(refhost::RealDevice()); }

FrameTimes MeasureFrames(int repeats)
{
    refhost::FastSync();
    Finish();
    std::vector<double> hostThread, finished;
    for (int i = 0; i < repeats; ++i) {
        const double start = Now();
        refhost::FastSync();
        const double submitted = Now();
        Finish();
        const double done = Now();
        hostThread.push_back(submitted - start);
        finished.push_back(done - start);
    }
    return {Median(hostThread), Median(finished)};
}
