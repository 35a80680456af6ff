// The camera values an instanced draw hands to the mesh's effect, read back from the effect: view
// and projection from the device with their product, inverse and transposes, the eye position, the
// alpha factor, the zeroed floats and the clip plane for each clip mode.
#include <cmath>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "draw_fixture.h"
#include "matrices.h"
#include "instancing/draw_effect_matrices.h"

namespace {

using refhost::EffectParameter;
using Kind = refhost::EffectParameterKind;

constexpr int kObject = 1;
constexpr int kEffect = 1;

const std::vector<float> kMarkerMatrix = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2};

EffectParameter Param(const char* name, Kind kind, const char* semantic, std::vector<float> initial = {})
{
    EffectParameter p;
    p.name = name;
    p.semantic = semantic;
    p.kind = kind;
    p.initial = std::move(initial);
    return p;
}

// An effect with a parameter behind every handle the host fills, each starting at a marker value.
refhost::EffectDescription CameraParameterEffect()
{
    refhost::EffectDescription d;
    d.parameters = {
        Param("World", Kind::Matrix, "WORLD", kMarkerMatrix),
        Param("View", Kind::Matrix, "VIEW", kMarkerMatrix),
        Param("Projection", Kind::Matrix, "PROJECTION", kMarkerMatrix),
        Param("WorldView", Kind::Matrix, "WORLDVIEW", kMarkerMatrix),
        Param("ViewProjection", Kind::Matrix, "VIEWPROJECTION", kMarkerMatrix),
        Param("ViewInverse", Kind::Matrix, "VIEWINVERSE", kMarkerMatrix),
        Param("WorldTranspose", Kind::Matrix, "WORLDTRANSPOSE", kMarkerMatrix),
        Param("ViewTranspose", Kind::Matrix, "VIEWTRANSPOSE", kMarkerMatrix),
        Param("ProjectionTranspose", Kind::Matrix, "PROJECTIONTRANSPOSE", kMarkerMatrix),
        Param("ViewProjectionTranspose", Kind::Matrix, "VIEWPROJECTIONTRANSPOSE", kMarkerMatrix),
        Param("ViewInverseTranspose", Kind::Matrix, "VIEWINVERSETRANSPOSE", kMarkerMatrix),
        Param("EyePos", Kind::Vector, "CAMERAPOSITION", {9, 9, 9, 9}),
        Param("ViewPos", Kind::Vector, "VIEWPOSITION", {9, 9, 9, 9}),
        Param("AlphaFactor", Kind::Float, "ALPHAFACTOR", {7}),
        Param("Time", Kind::Float, "TIME", {5}),
        Param("SinTime", Kind::Float, "SINTIME", {6}),
        Param("ClipPlane", Kind::Vector, "CLIPPLANE", {9, 9, 9, 9}),
    };
    refhost::EffectPass pass;
    pass.name = "P0";
    pass.vertexShader = "float4 main(float4 p : POSITION) : POSITION { return p; }\n";
    pass.pixelShader = "float4 main() : COLOR { return float4(1, 1, 1, 1); }\n";
    d.techniques.push_back({"T", {pass}});
    return d;
}

class DrawEffectMatricesTest : public DrawTest {
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        record_ = MakeEffect(kEffect, CameraParameterEffect());
        ASSERT_NE(record_, nullptr);
        MakeObject(kObject, kEffect);
        mesh_ = refhost::GetLimbMesh(kObject, 0);
        effect_ = record_->effect;
        camera_ = refhost::GetCameraData(0);

        const D3DXVECTOR3 eye(3, 4, -5), at(0, 0, 10), up(0, 1, 0);
        D3DXMatrixLookAtLH(&view_, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection_, D3DX_PI / 3, 1.25f, 0.5f, 200.0f);
        Device().SetTransform(D3DTS_VIEW, &view_);
        Device().SetTransform(D3DTS_PROJECTION, &projection_);
        camera_->view = view_;
        camera_->projection = projection_;
    }

    void Hand()
    {
        Device().ClearLog();
        SetDrawEffectMatrices(&Device(), mesh_, camera_);
    }

    D3DXMATRIX Matrix(const char* name)
    {
        D3DXMATRIX m;
        EXPECT_EQ(effect_->GetMatrix(name, &m), D3D_OK) << name;
        return m;
    }
    D3DXVECTOR4 Vector(const char* name)
    {
        D3DXVECTOR4 v;
        EXPECT_EQ(effect_->GetVector(name, &v), D3D_OK) << name;
        return v;
    }
    float Float(const char* name)
    {
        float f = -1;
        EXPECT_EQ(effect_->GetFloat(name, &f), D3D_OK) << name;
        return f;
    }

    HostEffect* record_ = nullptr;
    HostMesh* mesh_ = nullptr;
    ID3DXEffect* effect_ = nullptr;
    HostCameraData* camera_ = nullptr;
    D3DXMATRIX view_, projection_;
};

TEST_F(DrawEffectMatricesTest, CameraMatricesComeFromTheDeviceWithProductInverseAndTransposes)
{
    // The camera record holds another view: the device's is the one handed over.
    D3DXMatrixIdentity(&camera_->view);
    Hand();

    D3DXMATRIX viewProjection;
    D3DXMatrixMultiply(&viewProjection, &view_, &projection_);
    EXPECT_TRUE(MatrixNear(view_, Matrix("View")));
    EXPECT_TRUE(MatrixNear(projection_, Matrix("Projection")));
    EXPECT_TRUE(MatrixNear(viewProjection, Matrix("ViewProjection")));
    D3DXMATRIX identity, product;
    D3DXMatrixIdentity(&identity);
    const D3DXMATRIX viewInverse = Matrix("ViewInverse");
    D3DXMatrixMultiply(&product, &viewInverse, &view_);
    EXPECT_TRUE(MatrixNear(identity, product)) << "the view inverse undoes the view";
    EXPECT_TRUE(MatrixNear(Transposed(view_), Matrix("ViewTranspose")));
    EXPECT_TRUE(MatrixNear(Transposed(projection_), Matrix("ProjectionTranspose")));
    EXPECT_TRUE(MatrixNear(Transposed(viewProjection), Matrix("ViewProjectionTranspose")));
    EXPECT_TRUE(MatrixNear(Transposed(viewInverse), Matrix("ViewInverseTranspose")));

    // Each instance brings its own world matrix: world-dependent parameters keep their values.
    const D3DXMATRIX marker(kMarkerMatrix.data());
    EXPECT_TRUE(MatrixNear(marker, Matrix("World")));
    EXPECT_TRUE(MatrixNear(marker, Matrix("WorldView")));
    EXPECT_TRUE(MatrixNear(marker, Matrix("WorldTranspose")));

    // The eye is where the view was looked from.
    for (const char* name : {"EyePos", "ViewPos"}) {
        D3DXVECTOR4 eye = Vector(name);
        EXPECT_NEAR(eye.x, 3.0f, 1e-4f) << name;
        EXPECT_NEAR(eye.y, 4.0f, 1e-4f) << name;
        EXPECT_NEAR(eye.z, -5.0f, 1e-4f) << name;
        EXPECT_EQ(eye.w, 1.0f) << name;
    }
    EXPECT_EQ(Float("Time"), 0.0f);
    EXPECT_EQ(Float("SinTime"), 0.0f);
}

TEST_F(DrawEffectMatricesTest, TransposeFlagSwapsEveryMatrixWithItsTranspose)
{
    record_->expectsTransposed = 1;
    Hand();
    D3DXMATRIX viewProjection;
    D3DXMatrixMultiply(&viewProjection, &view_, &projection_);
    EXPECT_TRUE(MatrixNear(Transposed(view_), Matrix("View")));
    EXPECT_TRUE(MatrixNear(view_, Matrix("ViewTranspose")));
    EXPECT_TRUE(MatrixNear(Transposed(projection_), Matrix("Projection")));
    EXPECT_TRUE(MatrixNear(projection_, Matrix("ProjectionTranspose")));
    EXPECT_TRUE(MatrixNear(Transposed(viewProjection), Matrix("ViewProjection")));
    EXPECT_TRUE(MatrixNear(viewProjection, Matrix("ViewProjectionTranspose")));
    D3DXMATRIX viewInverse;
    D3DXMatrixInverse(&viewInverse, nullptr, &view_);
    EXPECT_TRUE(MatrixNear(Transposed(viewInverse), Matrix("ViewInverse")));
    EXPECT_TRUE(MatrixNear(viewInverse, Matrix("ViewInverseTranspose")));
    EXPECT_NEAR(Vector("EyePos").x, 3.0f, 1e-4f) << "the eye is taken before transposing";
}

TEST_F(DrawEffectMatricesTest, AlphaFactorIsTheDiffuseAlphaOnlyWithTheDiffuseFlag)
{
    mesh_->hasDiffuseColor = 0;
    mesh_->diffuseColor = 0x80FFFFFF;
    Hand();
    EXPECT_EQ(Float("AlphaFactor"), 7.0f) << "no diffuse colour: the factor is left alone";

    mesh_->hasDiffuseColor = 1;
    Hand();
    EXPECT_FLOAT_EQ(Float("AlphaFactor"), 128.0f / 255.0f);
    mesh_->diffuseColor = 0xFF000000;
    Hand();
    EXPECT_EQ(Float("AlphaFactor"), 1.0f);
    mesh_->diffuseColor = 0x00FFFFFF;
    Hand();
    EXPECT_EQ(Float("AlphaFactor"), 0.0f);
}

TEST_F(DrawEffectMatricesTest, WithoutClipModeTheShaderGetsAPlaneNothingReaches)
{
    camera_->clipMode = 0;
    camera_->clipPlane = D3DXPLANE(1, 2, 3, 4);
    Hand();
    D3DXVECTOR4 plane = Vector("ClipPlane");
    EXPECT_EQ(plane, D3DXVECTOR4(0, 1, 0, 99999));
    EXPECT_EQ(Device().Count(DeviceMethod::SetClipPlane), 0u);
    EXPECT_EQ(Device().RenderStates(), (std::vector<RenderStateSet>{{D3DRS_CLIPPLANEENABLE, FALSE}}));

    // A camera record the host could not give counts as one without a clip plane.
    SetDrawEffectMatrices(&Device(), mesh_, nullptr);
    EXPECT_EQ(Vector("ClipPlane"), D3DXVECTOR4(0, 1, 0, 99999));
}

TEST_F(DrawEffectMatricesTest, WorldSpaceClipPlaneIsCarriedIntoClipSpace)
{
    // The plane y = 1, facing up, given unnormalised.
    const D3DXPLANE stored(0, 2, 0, -2);
    for (int mode : {3, 4}) {
        SCOPED_TRACE(mode);
        camera_->clipMode = mode;
        camera_->clipPlane = stored;
        Hand();

        auto planes = Device().Filter(DeviceMethod::SetClipPlane);
        ASSERT_EQ(planes.size(), 1u);
        EXPECT_EQ(planes[0].Arg(0), 0u);
        ASSERT_TRUE(planes[0].plane);
        const std::array<float, 4> q = *planes[0].plane;
        const D3DXVECTOR4 handed = Vector("ClipPlane");
        EXPECT_EQ(handed, D3DXVECTOR4(q[0], q[1], q[2], q[3])) << "the shader gets the plane the device got";

        // In clip space the plane measures a world point's signed distance from y = 1.
        D3DXMATRIX viewProjection;
        D3DXMatrixMultiply(&viewProjection, &view_, &projection_);
        for (const D3DXVECTOR3& world : {D3DXVECTOR3(0, 1, 10), D3DXVECTOR3(-4, 1, 30), D3DXVECTOR3(2, 4, 12),
                                         D3DXVECTOR3(1, -2.5f, 8)}) {
            D3DXVECTOR4 clip;
            D3DXVec3Transform(&clip, &world, &viewProjection);
            const float measured = q[0] * clip.x + q[1] * clip.y + q[2] * clip.z + q[3] * clip.w;
            EXPECT_NEAR(measured, world.y - 1.0f, 1e-3f) << "at (" << world.x << ", " << world.y << ", " << world.z << ")";
        }
        EXPECT_EQ(Device().RenderStates(), (std::vector<RenderStateSet>{{D3DRS_CLIPPLANEENABLE, FALSE}}));
        EXPECT_EQ(camera_->clipPlane, stored) << "the camera's own plane is not changed";

        // The next set drawn in the same pass gets the same plane.
        Hand();
        auto again = Device().Filter(DeviceMethod::SetClipPlane);
        ASSERT_EQ(again.size(), 1u);
        EXPECT_EQ(*again[0].plane, q);
    }
}

TEST_F(DrawEffectMatricesTest, OtherClipModesUseThePlaneAsStored)
{
    const D3DXPLANE stored(0.5f, -1, 2, 3);
    camera_->clipMode = 1;
    camera_->clipPlane = stored;
    Hand();
    auto planes = Device().Filter(DeviceMethod::SetClipPlane);
    ASSERT_EQ(planes.size(), 1u);
    EXPECT_EQ(*planes[0].plane, (std::array<float, 4>{0.5f, -1, 2, 3}));
    EXPECT_EQ(Vector("ClipPlane"), D3DXVECTOR4(0.5f, -1, 2, 3));

    // A negative mode clips nothing: the shader gets the far plane and the device's plane stays.
    camera_->clipMode = -1;
    Hand();
    EXPECT_EQ(Device().Count(DeviceMethod::SetClipPlane), 0u);
    EXPECT_EQ(Vector("ClipPlane"), D3DXVECTOR4(0, 1, 0, 99999));
    EXPECT_EQ(Device().LastRenderState(D3DRS_CLIPPLANEENABLE), DWORD(FALSE));
}

TEST_F(DrawEffectMatricesTest, MeshWithoutEffectGetsNothing)
{
    mesh_->effect = nullptr;
    camera_->clipMode = 3;
    Hand();
    EXPECT_EQ(Device().Count(DeviceMethod::SetClipPlane), 0u);
    EXPECT_TRUE(Device().RenderStates().empty());
    EXPECT_TRUE(MatrixNear(D3DXMATRIX(kMarkerMatrix.data()), Matrix("View")));
}

// The camera values an effect holds, as raw floats: equal only when equal bit for bit.
std::vector<float> HandedValues(ID3DXEffect* effect)
{
    std::vector<float> values;
    for (const char* name : {"View", "Projection", "ViewProjection", "ViewInverse", "ViewTranspose",
                             "ProjectionTranspose", "ViewProjectionTranspose", "ViewInverseTranspose"}) {
        D3DXMATRIX m;
        EXPECT_EQ(effect->GetMatrix(name, &m), D3D_OK) << name;
        values.insert(values.end(), &m._11, &m._11 + 16);
    }
    for (const char* name : {"EyePos", "ViewPos", "ClipPlane"}) {
        D3DXVECTOR4 v;
        EXPECT_EQ(effect->GetVector(name, &v), D3D_OK) << name;
        values.insert(values.end(), {v.x, v.y, v.z, v.w});
    }
    return values;
}

bool SameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

TEST_F(DrawEffectMatricesTest, ACameraPassReadsTheCameraOnceAndEverySetGetsWhatItsOwnReadingGives)
{
    camera_->clipMode = 3;
    const D3DXPLANE stored(0, 2, 0, -2);
    camera_->clipPlane = stored;
    // Three sets on three objects with effects of their own; the second expects transposed matrices.
    std::vector<HostEffect*> records;
    for (int i = 1; i <= 3; ++i) {
        records.push_back(MakeEffect(kEffect + i, CameraParameterEffect()));
        ASSERT_NE(records.back(), nullptr);
        MakeObject(kObject + i, kEffect + i);
        MakeSet(kObject + i, i + 1);
    }
    records[1]->expectsTransposed = 1;

    Device().SetLogged(DeviceMethod::GetTransform, true);
    SyncCamera(0);
    EXPECT_EQ(Device().Count(DeviceMethod::DrawIndexedPrimitive), 3u);
    EXPECT_EQ(Device().Count(DeviceMethod::GetTransform), 2u) << "view and projection once per camera pass";
    EXPECT_EQ(Device().Count(DeviceMethod::SetClipPlane), 3u) << "every set still sets the plane";
    EXPECT_EQ(camera_->clipPlane, stored);

    // What each set got is what reading the device and deriving everything for that set alone gives.
    for (int i = 1; i <= 3; ++i) {
        SCOPED_TRACE(i);
        ID3DXEffect* effect = records[i - 1]->effect;
        const std::vector<float> fromPass = HandedValues(effect);
        const D3DXMATRIX marker(kMarkerMatrix.data());
        effect->SetMatrix("View", &marker);
        effect->SetMatrix("ViewInverseTranspose", &marker);
        ASSERT_FALSE(SameBits(fromPass, HandedValues(effect)));
        SetDrawEffectMatrices(&Device(), refhost::GetLimbMesh(kObject + i, 0), camera_);
        EXPECT_TRUE(SameBits(fromPass, HandedValues(effect)));
    }
    D3DXMATRIX transposedSetView;
    records[1]->effect->GetMatrix("View", &transposedSetView);
    EXPECT_TRUE(MatrixNear(Transposed(view_), transposedSetView)) << "the transpose flag is each set's own";
}

} // namespace
