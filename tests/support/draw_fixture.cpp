#include "draw_fixture.h"

#include <string>

#include "effect_creation.h"
#include "command_prototypes.h"

HostEffect* DrawTest::MakeEffect(int number, const refhost::EffectDescription& description)
{
    std::string error;
    // Made on the real device: the effect's own calls stay out of the log.
    HostEffect* record = refhost::AddDescribedEffect(number, description, &error);
    EXPECT_NE(record, nullptr) << error;
    return record;
}

Com<ID3DXEffect> DrawTest::MakeEffectThatCannotBegin()
{
    refhost::EffectDescription description = refhost::PlainEffectDescription();
    description.techniques.clear();
    std::string error;
    auto effect = Com<ID3DXEffect>::Adopt(refhost::CreateDescribedEffect(refhost::RealDevice(), description, &error));
    UINT passes = 0;
    EXPECT_TRUE(effect && effect->Begin(&passes, 0) == D3DERR_INVALIDCALL) << error;
    return effect;
}

void DrawTest::MakeObject(int object, int effect, refhost::MeshDescription meshDescription)
{
    if (meshDescription.size == 1.0f)
        meshDescription.size = 2.0f;
    // The tests bind objects the host never drew: their buffers come with them.
    refhost::SetBuffersAtMake(true);
    const bool made = refhost::MakeObject(object, meshDescription);
    refhost::SetBuffersAtMake(false);
    ASSERT_TRUE(made);
    refhost::SetObjectEffect(object, effect);
}

int DrawTest::MakeSet(int object, int count)
{
    int handle = GeoInst_MakeNew();
    GeoInst_SetMesh(handle, object, 0);
    GeoInst_SetMaxInstanceCount(handle, count > 0 ? count : 1);
    GeoInst_SetInstanceCount(handle, count);
    for (int n = 1; n <= count; ++n) {
        GeoInst_SetPosition(handle, n, static_cast<float>(n), 0.0f, 10.0f);
        GeoInst_SetScaleUniform(handle, n, 100.0f);
        GeoInst_UpdateInstance(handle, n);
    }
    GeoInst_Update(handle);
    return handle;
}

void DrawTest::SyncCamera(int camera)
{
    IDirect3DDevice9* real = refhost::RealDevice();
    refhost::CoreData()->currentCamera = camera;
    Device().ClearLog();
    real->BeginScene();
    GeoInst_Sync();
    real->EndScene();
}
