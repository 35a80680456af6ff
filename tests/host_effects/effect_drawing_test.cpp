// What the host effects draw, read back from a render target: the plain effect's colour, matrices
// and texture, the instancing effect's instances, two passes, CommitChanges, array uploads, and the
// device state Begin/End save and restore.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "com.h"
#include "effect_creation.h"
#include "effect_library.h"
#include "pixel_checks.h"

namespace {

constexpr UINT kSize = 64;

struct Rgb {
    int r, g, b;
};

// A 64x64 target drawn into between Begin and Read; the device's own target is put back after.
class TargetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        device_ = refhost::Device();
        ASSERT_EQ(device_->CreateTexture(kSize, kSize, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                         target_.put(), nullptr), D3D_OK);
        target_->GetSurfaceLevel(0, surface_.put());
        device_->GetRenderTarget(0, savedTarget_.put());
    }

    void TearDown() override
    {
        for (ID3DXEffect* e : effects_) EXPECT_EQ(e->Release(), 0u);
        device_->SetRenderTarget(0, savedTarget_.ptr());
    }

    ID3DXEffect* Make(const refhost::EffectDescription& description)
    {
        std::string error;
        ID3DXEffect* e = refhost::CreateDescribedEffect(device_, description, &error);
        EXPECT_NE(e, nullptr) << error;
        if (e) effects_.push_back(e);
        return e;
    }

    void BeginDrawing()
    {
        device_->SetRenderTarget(0, surface_.ptr());
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 0), 1.0f, 0);
        device_->SetRenderState(D3DRS_ZENABLE, FALSE);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device_->BeginScene();
    }

    void EndDrawing()
    {
        device_->EndScene();
        ASSERT_TRUE(refhost::ReadSurfacePixels(surface_.ptr(), pixels_));
    }

    // Pixel at a point given in clip space (-1..1, y up).
    D3DCOLOR At(float x, float y) const
    {
        UINT px = static_cast<UINT>((x + 1.0f) * 0.5f * kSize);
        UINT py = static_cast<UINT>((1.0f - y) * 0.5f * kSize);
        return pixels_.At(static_cast<int>(std::min(px, kSize - 1)), static_cast<int>(std::min(py, kSize - 1)));
    }

    // Colour only: the target's alpha is whatever the draw left.
    static ::testing::AssertionResult Near(Rgb expected, D3DCOLOR actual)
    {
        return ColourNear(D3DCOLOR_XRGB(expected.r, expected.g, expected.b), actual | 0xFF000000);
    }

    struct Vertex {
        float x, y, z, u, v;
    };

    // A rectangle in clip space with texture coordinates 0..1, as two triangles.
    void DrawRect(float left, float bottom, float right, float top)
    {
        const Vertex quad[4] = {{left, top, 0.5f, 0, 0}, {right, top, 0.5f, 1, 0}, {left, bottom, 0.5f, 0, 1},
                                {right, bottom, 0.5f, 1, 1}};
        device_->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK);
    }

    // Draws with every pass of the current technique.
    void DrawWithEffect(ID3DXEffect* effect, float left, float bottom, float right, float top)
    {
        UINT passes = 0;
        ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
        for (UINT p = 0; p < passes; ++p) {
            ASSERT_EQ(effect->BeginPass(p), D3D_OK);
            DrawRect(left, bottom, right, top);
            effect->EndPass();
        }
        effect->End();
    }

    IDirect3DDevice9* device_ = nullptr;
    Com<IDirect3DTexture9> target_;
    Com<IDirect3DSurface9> surface_;
    Com<IDirect3DSurface9> savedTarget_;
    refhost::SurfacePixels pixels_;
    std::vector<ID3DXEffect*> effects_;
};

const Rgb kBlack{0, 0, 0};

TEST_F(TargetTest, PlainEffectDrawsItsColour)
{
    ID3DXEffect* effect = Make(refhost::PlainEffectDescription());
    ASSERT_NE(effect, nullptr);
    D3DXVECTOR4 color(0.25f, 0.5f, 1.0f, 1.0f);
    ASSERT_EQ(effect->SetVector("Color", &color), D3D_OK);
    BeginDrawing();
    DrawWithEffect(effect, -1, -1, 0, 1); // left half
    EndDrawing();
    EXPECT_TRUE(Near({64, 128, 255}, At(-0.5f, 0)));
    EXPECT_TRUE(Near(kBlack, At(0.5f, 0)));
}

TEST_F(TargetTest, PlainEffectAppliesWorldViewAndProjection)
{
    for (refhost::CameraMatrices camera : {refhost::CameraMatrices::ViewAndProjection,
                                           refhost::CameraMatrices::ViewProjection}) {
        SCOPED_TRACE(camera == refhost::CameraMatrices::ViewProjection ? "ViewProjection" : "View and Projection");
        ID3DXEffect* effect = Make(refhost::PlainEffectDescription({false, camera}));
        ASSERT_NE(effect, nullptr);
        // The rectangle (-0.25..0.25)^2 moved right by 0.5 (world), up by 0.25 (view), then
        // scaled by 2 (projection): it covers x 0.5..1.5, y 0..1 of the target.
        D3DXMATRIX world, view, projection, viewProjection;
        D3DXMatrixTranslation(&world, 0.5f, 0, 0);
        D3DXMatrixTranslation(&view, 0, 0.25f, 0);
        D3DXMatrixScaling(&projection, 2, 2, 1);
        D3DXMatrixMultiply(&viewProjection, &view, &projection);
        ASSERT_EQ(effect->SetMatrix(effect->GetParameterBySemantic(nullptr, "WORLD"), &world), D3D_OK);
        ASSERT_EQ(effect->SetMatrix(effect->GetParameterBySemantic(nullptr, "VIEW"), &view), D3D_OK);
        ASSERT_EQ(effect->SetMatrix(effect->GetParameterBySemantic(nullptr, "PROJECTION"), &projection), D3D_OK);
        ASSERT_EQ(effect->SetMatrix(effect->GetParameterBySemantic(nullptr, "VIEWPROJECTION"), &viewProjection),
                  D3D_OK);
        BeginDrawing();
        DrawWithEffect(effect, -0.25f, -0.25f, 0.25f, 0.25f);
        EndDrawing();
        EXPECT_TRUE(Near({255, 255, 255}, At(0.75f, 0.5f)));
        EXPECT_TRUE(Near(kBlack, At(0.25f, 0.5f))) << "left of the moved rectangle";
        EXPECT_TRUE(Near(kBlack, At(0.75f, -0.5f))) << "below the moved rectangle";
        EXPECT_TRUE(Near(kBlack, At(0, 0))) << "where the rectangle was before moving";
    }
}

TEST_F(TargetTest, TransposedMatricesGiveTheSameImage)
{
    ID3DXEffect* effect = Make(refhost::PlainEffectDescription());
    ASSERT_NE(effect, nullptr);
    D3DXMATRIX world, transposed;
    D3DXMatrixTranslation(&world, -0.5f, 0, 0);
    D3DXMatrixTranspose(&transposed, &world);
    ASSERT_EQ(effect->SetMatrixTranspose("World", &transposed), D3D_OK);
    BeginDrawing();
    DrawWithEffect(effect, -0.25f, -0.25f, 0.25f, 0.25f);
    EndDrawing();
    EXPECT_TRUE(Near({255, 255, 255}, At(-0.5f, 0)));
    EXPECT_TRUE(Near(kBlack, At(0.1f, 0)));
}

TEST_F(TargetTest, TexturedEffectSamplesItsTextureParameter)
{
    ID3DXEffect* effect = Make(refhost::PlainEffectDescription({true}));
    ASSERT_NE(effect, nullptr);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(2, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    static_cast<D3DCOLOR*>(locked.pBits)[0] = D3DCOLOR_ARGB(255, 255, 0, 0);
    static_cast<D3DCOLOR*>(locked.pBits)[1] = D3DCOLOR_ARGB(255, 0, 255, 0);
    texture->UnlockRect(0);
    ASSERT_EQ(effect->SetTexture(effect->GetParameterByName(nullptr, "DiffuseTexture"), texture), D3D_OK);
    texture->Release(); // the effect holds it now
    D3DXVECTOR4 half(0.5f, 1, 1, 1);
    ASSERT_EQ(effect->SetVector("Color", &half), D3D_OK);

    BeginDrawing();
    DrawWithEffect(effect, -1, -1, 1, 1);
    EndDrawing();
    EXPECT_TRUE(Near({128, 0, 0}, At(-0.5f, 0))) << "left texel, red halved by Color";
    EXPECT_TRUE(Near({0, 255, 0}, At(0.5f, 0))) << "right texel";
}

TEST_F(TargetTest, CommitChangesUploadsInsideAPass)
{
    ID3DXEffect* effect = Make(refhost::PlainEffectDescription());
    ASSERT_NE(effect, nullptr);
    D3DXVECTOR4 red(1, 0, 0, 1), blue(0, 0, 1, 1);
    ASSERT_EQ(effect->SetVector("Color", &red), D3D_OK);
    BeginDrawing();
    UINT passes = 0;
    ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
    ASSERT_EQ(effect->BeginPass(0), D3D_OK);
    DrawRect(-1, -1, 0, 1);
    ASSERT_EQ(effect->SetVector("Color", &blue), D3D_OK);
    ASSERT_EQ(effect->CommitChanges(), D3D_OK);
    DrawRect(0, -1, 1, 1);
    effect->EndPass();
    effect->End();
    EndDrawing();
    EXPECT_TRUE(Near({255, 0, 0}, At(-0.5f, 0)));
    EXPECT_TRUE(Near({0, 0, 255}, At(0.5f, 0)));
}

TEST_F(TargetTest, ArrayElementsAndScalarsReachTheirRegisters)
{
    ID3DXEffect* effect = Make(refhost::ParameterZooDescription());
    ASSERT_NE(effect, nullptr);
    ASSERT_EQ(effect->SetTechnique("Second"), D3D_OK); // VectorArray[3] * FloatValue
    std::vector<D3DXVECTOR4> vectors(16, D3DXVECTOR4(1, 1, 1, 1));
    vectors[3] = D3DXVECTOR4(0.5f, 1.0f, 0.25f, 1.0f);
    ASSERT_EQ(effect->SetVectorArray("VectorArray", vectors.data(), 16), D3D_OK);
    ASSERT_EQ(effect->SetFloat("FloatValue", 0.5f), D3D_OK);
    BeginDrawing();
    DrawWithEffect(effect, -1, -1, 1, 1);
    EndDrawing();
    EXPECT_TRUE(Near({64, 128, 32}, At(0, 0)));
}

TEST_F(TargetTest, EndRestoresWhatBeginFoundUnlessToldNotTo)
{
    ID3DXEffect* effect = Make(refhost::InstancingEffectDescription({1, false, 2}));
    ASSERT_NE(effect, nullptr);
    device_->SetVertexShader(nullptr);
    device_->SetPixelShader(nullptr);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);

    UINT passes = 0;
    ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
    ASSERT_EQ(passes, 2u);
    ASSERT_EQ(effect->BeginPass(1), D3D_OK);
    DWORD blend = 0, zfunc = 0;
    device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    device_->GetRenderState(D3DRS_ZFUNC, &zfunc);
    EXPECT_EQ(blend, DWORD(TRUE)) << "the second pass's render states are set";
    EXPECT_EQ(zfunc, DWORD(D3DCMP_LESSEQUAL));
    IDirect3DVertexShader9* shader = nullptr;
    device_->GetVertexShader(&shader);
    EXPECT_NE(shader, nullptr);
    if (shader) shader->Release();
    effect->EndPass();
    effect->End();

    device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    device_->GetRenderState(D3DRS_ZFUNC, &zfunc);
    EXPECT_EQ(blend, DWORD(FALSE));
    EXPECT_EQ(zfunc, DWORD(D3DCMP_ALWAYS));
    device_->GetVertexShader(&shader);
    EXPECT_EQ(shader, nullptr) << "End leaves the shaders Begin found";
    if (shader) shader->Release();

    ASSERT_EQ(effect->Begin(&passes, D3DXFX_DONOTSAVESTATE), D3D_OK);
    ASSERT_EQ(effect->BeginPass(1), D3D_OK);
    effect->EndPass();
    effect->End();
    device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    EXPECT_EQ(blend, DWORD(TRUE)) << "with D3DXFX_DONOTSAVESTATE the pass's states stay";
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device_->SetVertexShader(nullptr);
    device_->SetPixelShader(nullptr);
}

// ---- Instancing: stream 0 holds a small quad, stream 1 one world matrix (and colour) per instance.

struct Instance {
    float rows[4][4];
    float color[4];
};

class InstancingTest : public TargetTest {
protected:
    void SetUp() override
    {
        TargetTest::SetUp();
        const float quad[4][3] = {{-0.15f, 0.15f, 0.5f}, {0.15f, 0.15f, 0.5f}, {-0.15f, -0.15f, 0.5f},
                                  {0.15f, -0.15f, 0.5f}};
        const WORD indices[6] = {0, 1, 2, 2, 1, 3};
        ASSERT_EQ(device_->CreateVertexBuffer(sizeof quad, 0, 0, D3DPOOL_MANAGED, vertices_.put(), nullptr), D3D_OK);
        ASSERT_EQ(device_->CreateIndexBuffer(sizeof indices, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, indices_.put(),
                                             nullptr), D3D_OK);
        Fill(vertices_.ptr(), quad, sizeof quad);
        Fill(indices_.ptr(), indices, sizeof indices);
    }

    template <typename Buffer>
    static void Fill(Buffer* buffer, const void* data, UINT bytes)
    {
        void* p = nullptr;
        ASSERT_EQ(buffer->Lock(0, bytes, &p, 0), D3D_OK);
        std::memcpy(p, data, bytes);
        buffer->Unlock();
    }

    // Instance i sits at (x[i], y[i]) with colour colors[i].
    void MakeInstances(unsigned firstTexcoord, const std::vector<D3DXVECTOR2>& at, const std::vector<D3DXVECTOR4>& colors)
    {
        std::vector<Instance> data(at.size());
        for (size_t i = 0; i < at.size(); ++i) {
            D3DXMATRIX world;
            D3DXMatrixTranslation(&world, at[i].x, at[i].y, 0);
            std::memcpy(data[i].rows, &world, sizeof world);
            std::memcpy(data[i].color, &colors[i], sizeof data[i].color);
        }
        UINT bytes = static_cast<UINT>(data.size() * sizeof(Instance));
        ASSERT_EQ(device_->CreateVertexBuffer(bytes, 0, 0, D3DPOOL_MANAGED, instances_.put(), nullptr), D3D_OK);
        Fill(instances_.ptr(), data.data(), bytes);

        const BYTE usage = D3DDECLUSAGE_TEXCOORD;
        const BYTE first = static_cast<BYTE>(firstTexcoord);
        const D3DVERTEXELEMENT9 elements[] = {
            {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
            {1, 0, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, usage, first},
            {1, 16, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, usage, BYTE(first + 1)},
            {1, 32, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, usage, BYTE(first + 2)},
            {1, 48, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, usage, BYTE(first + 3)},
            {1, 64, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, usage, BYTE(first + 4)},
            D3DDECL_END()};
        ASSERT_EQ(device_->CreateVertexDeclaration(elements, declaration_.put()), D3D_OK);
    }

    void DrawInstances(ID3DXEffect* effect, UINT count)
    {
        device_->SetVertexDeclaration(declaration_.ptr());
        device_->SetIndices(indices_.ptr());
        device_->SetStreamSource(0, vertices_.ptr(), 0, 3 * sizeof(float));
        device_->SetStreamSourceFreq(0, D3DSTREAMSOURCE_INDEXEDDATA | count);
        device_->SetStreamSource(1, instances_.ptr(), 0, sizeof(Instance));
        device_->SetStreamSourceFreq(1, D3DSTREAMSOURCE_INSTANCEDATA | 1u);
        UINT passes = 0;
        ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
        for (UINT p = 0; p < passes; ++p) {
            ASSERT_EQ(effect->BeginPass(p), D3D_OK);
            EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
            effect->EndPass();
        }
        effect->End();
        device_->SetStreamSource(1, nullptr, 0, 0);
        device_->SetStreamSourceFreq(0, 1);
        device_->SetStreamSourceFreq(1, 1);
    }

    Com<IDirect3DVertexBuffer9> vertices_;
    Com<IDirect3DIndexBuffer9> indices_;
    Com<IDirect3DVertexBuffer9> instances_;   // MakeInstances replaces both
    Com<IDirect3DVertexDeclaration9> declaration_;
};

TEST_F(InstancingTest, EachInstanceIsDrawnAtItsPlaceInItsColour)
{
    for (unsigned firstTexcoord : {1u, 3u}) {
        SCOPED_TRACE("world rows from TEXCOORD" + std::to_string(firstTexcoord));
        ID3DXEffect* effect = Make(refhost::InstancingEffectDescription({firstTexcoord, true}));
        ASSERT_NE(effect, nullptr);
        const std::vector<D3DXVECTOR2> at = {{-0.6f, 0.0f}, {0.0f, 0.5f}, {0.6f, -0.5f}};
        const std::vector<D3DXVECTOR4> colors = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}};
        MakeInstances(firstTexcoord, at, colors);
        BeginDrawing();
        DrawInstances(effect, 3);
        EndDrawing();
        EXPECT_TRUE(Near({255, 0, 0}, At(-0.6f, 0.0f))) << "instance 0";
        EXPECT_TRUE(Near({0, 255, 0}, At(0.0f, 0.5f))) << "instance 1";
        EXPECT_TRUE(Near({0, 0, 255}, At(0.6f, -0.5f))) << "instance 2";
        EXPECT_TRUE(Near(kBlack, At(0.0f, 0.0f))) << "the untranslated quad must not be drawn";
        EXPECT_TRUE(Near(kBlack, At(-0.6f, 0.5f)));
    }
}

TEST_F(InstancingTest, ViewProjectionOrViewAndProjectionPlaceTheInstances)
{
    for (refhost::CameraMatrices camera : {refhost::CameraMatrices::ViewProjection,
                                           refhost::CameraMatrices::ViewAndProjection}) {
        ID3DXEffect* effect = Make(refhost::InstancingEffectDescription({1, false, 1, camera}));
        ASSERT_NE(effect, nullptr);
        D3DXMATRIX view, projection, viewProjection;
        D3DXMatrixTranslation(&view, 0.25f, 0, 0);
        D3DXMatrixScaling(&projection, 1, 2, 1);
        D3DXMatrixMultiply(&viewProjection, &view, &projection);
        effect->SetMatrix("View", &view);
        effect->SetMatrix("Projection", &projection);
        effect->SetMatrix("ViewProjection", &viewProjection);
        MakeInstances(1, {{-0.5f, 0.25f}}, {{1, 1, 1, 1}});
        BeginDrawing();
        DrawInstances(effect, 1);
        EndDrawing();
        // (-0.5, 0.25) moves to (-0.25, 0.25), then y doubles.
        EXPECT_TRUE(Near({255, 255, 255}, At(-0.25f, 0.5f)));
        EXPECT_TRUE(Near(kBlack, At(-0.5f, 0.25f)));
    }
}

TEST_F(InstancingTest, TheSecondPassAddsItsColour)
{
    ID3DXEffect* effect = Make(refhost::InstancingEffectDescription({1, false, 2}));
    ASSERT_NE(effect, nullptr);
    D3DXVECTOR4 first(0.5f, 0, 0, 1), second(0, 0.5f, 0.25f, 0);
    effect->SetVector("Color", &first);
    effect->SetVector("SecondPassColor", &second);
    MakeInstances(1, {{-0.5f, 0}, {0.5f, 0}}, {{1, 1, 1, 1}, {1, 1, 1, 1}});
    BeginDrawing();
    DrawInstances(effect, 2);
    EndDrawing();
    EXPECT_TRUE(Near({128, 128, 64}, At(-0.5f, 0)));
    EXPECT_TRUE(Near({128, 128, 64}, At(0.5f, 0)));
    EXPECT_TRUE(Near(kBlack, At(0, 0)));
}

} // namespace
