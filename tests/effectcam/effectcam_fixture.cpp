#include "effectcam_fixture.h"

refhost::EffectParameter Parameter(const char* name, refhost::EffectParameterKind kind)
{
    refhost::EffectParameter p;
    p.name = name;
    p.kind = kind;
    return p;
}

HostEffect* EfxCamTest::MakeReadyCamera(int camera, int image, int object,
                                        const refhost::EffectDescription& description)
{
    HostEffect* effect = MakeEffect(object, description);
    MakeObject(object, object);
    refhost::SetObjectPosition(object, 0.0f, 0.0f, 10.0f);
    EfxCam_MakeNew(camera);
    EfxCam_SetToImage(camera, image, kSize, kSize);
    EfxCam_SetObject(camera, object);
    EfxCam_SetAspect(camera, 1.0f);
    EfxCam_SetFOV(camera, 1.0f);
    EfxCam_SetRange(camera, 1.0f, 100.0f);
    return effect;
}
