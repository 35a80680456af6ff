// Fixture for white-box drawing tests: the plugin's code bound to the reference host, a recording
// device between them, and host objects, effects and cameras from the host's scene engine.
#pragma once

#include "bound_plugin_test.h"
#include "com.h"
#include "effect_library.h"
#include "instancing/geo_inst_record.h"
#include "ref_host.h"

class DrawTest : public BoundPluginTest {
protected:
    // Makes host effect `number` from `description` and returns its record.
    HostEffect* MakeEffect(int number, const refhost::EffectDescription& description);

    // A framework effect whose Begin fails: it has no technique, and Begin without an active
    // technique answers D3DERR_INVALIDCALL, writing no pass count.
    static Com<ID3DXEffect> MakeEffectThatCannotBegin();

    // Host object `object`: a cube of edge 2 (or `meshDescription`) showing effect `effect`.
    void MakeObject(int object, int effect, refhost::MeshDescription meshDescription = {});

    // A set on limb 0 of `object` holding `count` unit-scale instances one unit apart along X,
    // uploaded; its handle.
    int MakeSet(int object, int count);

    static GeoInstRecord& Set(int handle)
    {
        return *reinterpret_cast<GeoInstRecord*>(static_cast<uintptr_t>(static_cast<uint32_t>(handle)));
    }

    // Runs the render callback for `camera` inside a scene, with the log cleared first.
    void SyncCamera(int camera);
};
