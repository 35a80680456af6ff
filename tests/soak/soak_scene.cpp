#include "soak_scene.h"

#include <string>

#include "effect_creation.h"
#include "effect_library.h"
#include "ref_host.h"

void MakeSoakObject(int object, int effect)
{
    refhost::MeshDescription mesh;
    mesh.shape = object % 2 ? refhost::Shape::Cube : refhost::Shape::Sphere;
    mesh.indexed = object != 3; // one mesh the host draws without indices
    mesh.texCoordSets = 1;
    mesh.textureStages = object % 3;
    mesh.image = object % 3 ? 1 : 0;
    mesh.limbs = 1 + object % 2;
    refhost::MakeObject(object, mesh);
    refhost::SetObjectPosition(object, static_cast<float>(object) - 3.0f, 0.0f, 8.0f);
    refhost::SetObjectEffect(object, effect);
}

std::vector<ID3DXEffect*> BuildSoakHostScene()
{
    std::vector<ID3DXEffect*> effects;
    std::string error;
    const refhost::EffectDescription descriptions[] = {refhost::InstancingEffectDescription(),
                                                       refhost::ParameterZooDescription()};
    for (int e = 0; e < 2; ++e) {
        if (HostEffect* record = refhost::AddDescribedEffect(e + 1, descriptions[e], &error))
            effects.push_back(record->effect);
    }
    for (int object = 1; object <= kSoakObjects; ++object)
        MakeSoakObject(object, 1 + object % 2);
    for (int image = 1; image <= kSoakImages; ++image)
        refhost::MakeImage(image, 64, 64, 0xFF000000u | (0x3F << (8 * (image - 1))));
    refhost::MakeCamera(1, 64, 64);
    refhost::SetCameraPosition(0, 0.0f, 0.0f, -5.0f);
    return effects;
}
