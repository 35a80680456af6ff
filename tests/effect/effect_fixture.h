// Fixture for the effect commands: the reference host makes its "parameter zoo" effect (one
// parameter of every kind, see refhost/host_effects/effect_library.h) with one more array, "Lights"
// (float4[240], as many vectors as the plugin's staging block holds), and puts it on both limbs of
// object 1. Scripts reach it as they would in the host: Object_GetShaderPtr(1, 0).
#pragma once

#include <d3dx9.h>

#include "host_records.h"
#include "matrices.h"
#include "plugin_fixture.h"

class EffectCommandTest : public RyxoDllTest {
protected:
    static constexpr int kObject = 1;
    static constexpr int kEffectNumber = 1;

    void SetUp() override;
    void TearDown() override;

    // Handles as the scripts get them.
    int Parameter(const char* name) { return CALL(Shader_GetParameterByName, effect_, 0, name); }
    int Technique(const char* name) { return CALL(Shader_GetTechniqueByName, effect_, name); }

    ID3DXEffect* fx_ = nullptr; // the effect itself (the host's record holds it), to check the commands against
    int effect_ = 0;            // the effect as scripts hold it
};

// A matrix whose 16 floats count up by 1 from `first`, rows first.
D3DXMATRIX CountingMatrix(float first);
::testing::AssertionResult SameMatrix(const D3DXMATRIX& expected, const D3DXMATRIX& actual);
::testing::AssertionResult SameVector(const D3DXVECTOR4& expected, const D3DXVECTOR4& actual);
