// Binding an object to a camera: its first mesh, the first eight texture parameters of its effect in
// order, the host calls that take it out of the host's depth pass, and the objects refused.
#include <string>

#include "effectcam_fixture.h"

namespace {

TEST_F(EfxCamTest, SetObjectTakesTheFirstMeshAndTheFirstEightTextureParametersInOrder)
{
    refhost::EffectDescription nine = refhost::PlainEffectDescription();
    nine.parameters.insert(nine.parameters.begin(), Parameter("Before", refhost::EffectParameterKind::Texture));
    for (const char* name : {"T1", "T2", "T3", "T4", "T5", "T6", "T7"})
        nine.parameters.push_back(Parameter(name, refhost::EffectParameterKind::Texture));
    HostEffect* effect = MakeReadyCamera(1, kImage, 5, nine);
    refhost::ClearHostCallLog();
    EfxCam_SetObject(1, 5);
    EXPECT_EQ(refhost::HostCallLog(), (std::vector<std::string>{"DisableZDepth(5)", "DisableZRead(5)", "DisableZWrite(5)"}));
    const EfxCamRecord& c = Camera(1);
    ASSERT_EQ(c.textureParameterCount, 8);
    const char* expected[] = {"Before", "DiffuseTexture", "T1", "T2", "T3", "T4", "T5", "T6"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(c.textureParameters[i], effect->effect->GetParameterByName(nullptr, expected[i])) << expected[i];
    EXPECT_EQ(c.mesh, refhost::GetLimbMesh(5, 0));
    EXPECT_EQ(c.worldMatrix, &refhost::GetObjectRecord(5)->world);

    // Unknown objects and objects without an effect are refused; the camera keeps its object.
    refhost::MakeObject(6, {});
    EfxCam_SetObject(1, 77);
    EfxCam_SetObject(1, 6);
    EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{
        {"EfxCam_SetObject Error", "Object 77 does not exist"},
        {"EfxCam_SetObject Error", "The object must have an effect applied before calling this command"}}));
    EXPECT_EQ(c.object, 5);
}

} // namespace
