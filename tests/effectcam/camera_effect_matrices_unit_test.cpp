// The matrices, eye position and floats a camera's draw hands to the object's effect, plain and
// transposed, with a singular world.
#include <cmath>
#include <utility>

#include "effectcam_fixture.h"
#include "matrices.h"

namespace {

TEST_F(EfxCamTest, TheEffectReceivesTheCameraMatrixFamily)
{
    refhost::EffectDescription all = refhost::PlainEffectDescription();
    for (const char* name : {"WorldView", "WorldViewProjection", "WorldInverse", "ViewInverse", "WorldViewInverse",
                             "WorldT", "ViewT", "ProjT", "WorldViewT", "ViewProjTranspose", "WorldViewProjTranspose",
                             "WorldIT", "ViewIT", "WorldViewIT"})
        all.parameters.push_back(Parameter(name, refhost::EffectParameterKind::Matrix));
    for (const char* name : {"EyePos", "ViewPos"})
        all.parameters.push_back(Parameter(name, refhost::EffectParameterKind::Vector));
    for (const char* name : {"AlphaFactor", "Time", "SinTime"})
        all.parameters.push_back(Parameter(name, refhost::EffectParameterKind::Float));
    HostEffect* record = MakeReadyCamera(0, kImage, 1, all);
    ID3DXEffect* fx = record->effect;
    for (int i = 0; i < kHostEffectMatrixCount; ++i)
        ASSERT_NE(record->matrixHandles[i], nullptr) << "matrix handle " << i;
    EfxCam_SetPosition(0, 1.0f, 2.0f, 3.0f);

    struct Case {
        int transposed;
        float scaleX;     // 0 makes the world singular
        int alphaOverride;
        float alpha;      // expected afterwards (the parameter starts at 0.25)
    };
    for (const Case& k : {Case{0, 2.0f, 1, 128 / 255.0f}, Case{1, 0.0f, 0, 0.25f}}) {
        record->expectsTransposed = k.transposed;
        refhost::SetObjectScale(1, k.scaleX, 1.0f, 1.0f);
        refhost::SetObjectColour(1, 0x80FFFFFF);
        refhost::GetLimbMesh(1, 0)->hasDiffuseColor = static_cast<int8_t>(k.alphaOverride);
        fx->SetFloat(record->alphaFactor, 0.25f);
        fx->SetFloat(record->zeroFloat1, 5.0f);
        fx->SetFloat(record->zeroFloat2, 5.0f);
        EfxCam_Sync();

        D3DXMATRIX m[kHostEffectMatrixCount];
        const D3DXVECTOR3 eye(1, 2, 3), at(1, 2, 4), up(0, 1, 0);
        m[kWorld] = refhost::GetObjectRecord(1)->world;
        D3DXMatrixLookAtLH(&m[kView], &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&m[kProjection], 1.0f, 1.0f, 1.0f, 100.0f);
        m[kViewProjection] = m[kView] * m[kProjection];
        m[kWorldView] = m[kWorld] * m[kView];
        m[kWorldViewProjection] = m[kWorldView] * m[kProjection];
        const int inverses[][2] = {{kWorld, kWorldInverse}, {kView, kViewInverse}, {kWorldView, kWorldViewInverse}};
        for (const auto& [from, to] : inverses)
            if (!D3DXMatrixInverse(&m[to], nullptr, &m[from]))
                m[to] = D3DXMATRIX(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
        for (int i = 0; i < 9; ++i) {
            D3DXMatrixTranspose(&m[9 + i], &m[i]);
            if (k.transposed)
                std::swap(m[i], m[9 + i]);
        }
        for (int i = 0; i < kHostEffectMatrixCount; ++i) {
            D3DXMATRIX seen;
            fx->GetMatrix(record->matrixHandles[i], &seen);
            EXPECT_TRUE(MatrixNear(m[i], seen)) << "matrix handle " << i << " with transpose flag " << k.transposed;
        }
        D3DXVECTOR4 eye1, eye2;
        fx->GetVector(record->eyePosition, &eye1);
        fx->GetVector(record->eyePosition2, &eye2);
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(std::abs((&eye1.x)[i] - (i + 1.0f) + (i == 3 ? 3.0f : 0.0f)) < 1e-4f && (&eye2.x)[i] == (&eye1.x)[i])
                << "eye component " << i << ": " << (&eye1.x)[i];
        float alpha = -1, zero1 = -1, zero2 = -1;
        fx->GetFloat(record->alphaFactor, &alpha);
        fx->GetFloat(record->zeroFloat1, &zero1);
        fx->GetFloat(record->zeroFloat2, &zero2);
        EXPECT_FLOAT_EQ(alpha, k.alpha);
        EXPECT_EQ(zero1 + zero2, 0.0f);
    }
}

} // namespace
