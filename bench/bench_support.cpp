#include "bench_support.h"

#include <cstdio>
#include <vector>

#include "effect_creation.h"

bool Commands::Load(const refhost::LoadedPlugin& plugin)
{
    makeNew = FIND_COMMAND(plugin, GeoInst_MakeNew);
    sync = FIND_COMMAND(plugin, GeoInst_Sync);
    update = FIND_COMMAND(plugin, GeoInst_Update);
    deleteSet = FIND_COMMAND(plugin, GeoInst_Delete);
    drawCount = FIND_COMMAND(plugin, GeoInst_GetDrawCount);
    setMaxInstanceCount = FIND_COMMAND(plugin, GeoInst_SetMaxInstanceCount);
    setInstanceCount = FIND_COMMAND(plugin, GeoInst_SetInstanceCount);
    updateInstance = FIND_COMMAND(plugin, GeoInst_UpdateInstance);
    setHidden = FIND_COMMAND(plugin, GeoInst_SetHidden);
    worldMatrixPtr = FIND_COMMAND(plugin, GeoInst_GetWorldMatrixPtr);
    setMesh = FIND_COMMAND(plugin, GeoInst_SetMesh);
    setExcluded = FIND_COMMAND(plugin, GeoInst_SetExcluded);
    setPosition = FIND_COMMAND(plugin, GeoInst_SetPosition);
    setRotation = FIND_COMMAND(plugin, GeoInst_SetRotation);
    setScaleUniform = FIND_COMMAND(plugin, GeoInst_SetScaleUniform);
    return makeNew && sync && update && deleteSet && drawCount && setMaxInstanceCount && setInstanceCount &&
           updateInstance && setHidden && worldMatrixPtr && setMesh && setExcluded && setPosition && setRotation &&
           setScaleUniform;
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

bool MakeInstancingScene(const refhost::LoadedPlugin& plugin, Commands& commands)
{
    refhost::PlainEffectOptions plain;
    plain.camera = refhost::CameraMatrices::ViewProjection;
    if (!commands.Load(plugin) || !MakeEffect(kEffectInstanced, refhost::InstancingEffectDescription()) ||
        !MakeEffect(kEffectPlain, refhost::PlainEffectDescription(plain)) ||
        !refhost::MakeObject(kCubeObject, SmallCube()))
        return false;
    refhost::SetObjectEffect(kCubeObject, kEffectInstanced);
    refhost::HideObject(kCubeObject);
    refhost::SetSyncMask(1);
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
