// How scripts get hold of an effect: from a mesh address or from an object's limb. Anything
// without an effect gives 0.
#include "effect_fixture.h"
#include "ref_host.h"

namespace {

class EffectAccessTest : public EffectCommandTest {};

TEST_F(EffectAccessTest, MeshAddressGivesItsEffectOrZero)
{
    HostMesh* limb0 = refhost::GetLimbMesh(kObject, 0);
    ASSERT_NE(limb0, nullptr);
    EXPECT_EQ(CALL(SMesh_GetD3DXEffect, Address(limb0)), Address(fx_));

    HostMesh bare{};
    EXPECT_EQ(CALL(SMesh_GetD3DXEffect, Address(&bare)), 0);
    bare.effect = reinterpret_cast<HostEffect*>(static_cast<intptr_t>(-1));
    EXPECT_EQ(CALL(SMesh_GetD3DXEffect, Address(&bare)), 0) << "a negative record pointer means no effect";
    EXPECT_EQ(CALL(SMesh_GetD3DXEffect, 0), 0) << "no mesh at all";
}

TEST_F(EffectAccessTest, ObjectLimbGivesItsMeshsEffectOrZero)
{
    EXPECT_EQ(CALL(Object_GetShaderPtr, kObject, 1), Address(fx_));
    EXPECT_EQ(CALL(Object_GetShaderPtr, kObject, 2), 0) << "past the mesh list";
    EXPECT_EQ(CALL(Object_GetShaderPtr, kObject, -1), 0);

    refhost::GetLimbMesh(kObject, 1)->effect = nullptr;
    EXPECT_EQ(CALL(Object_GetShaderPtr, kObject, 1), 0) << "a limb without an effect record";
    EXPECT_EQ(CALL(Object_GetShaderPtr, kObject, 0), Address(fx_)) << "the other limb keeps its effect";

    ASSERT_TRUE(refhost::MakeObject(2, refhost::MeshDescription{}));
    EXPECT_EQ(CALL(Object_GetShaderPtr, 2, 0), 0) << "an object without an effect";
}

TEST_F(EffectAccessTest, ObjectTheHostDoesNotKnowGivesZero)
{
    EXPECT_EQ(CALL(Object_GetShaderPtr, 424242, 0), 0);
    EXPECT_EQ(CALL(Object_GetShaderPtr, 0, 0), 0);
    EXPECT_EQ(CALL(Object_GetShaderPtr, -5, 0), 0);
}

} // namespace
