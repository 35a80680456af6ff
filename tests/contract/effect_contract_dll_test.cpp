// What Ryxo hands a game maker's effect, row by row from the table the manual's page "Writing
// effects for Ryxo" shows (plugin/manual/effect_contract.tsv), through the built Ryxo.dll in the
// reference host. An instance set drawn while the host renders its camera 0, and an effect camera,
// each draw an object whose effect declares every parameter of the table, all starting at 7, a
// value no draw gives. Afterwards every parameter holds what its row says for that kind of draw, and
// the parameters whose row says "-" (never filled) still hold 7.
#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "effect_creation.h"
#include "effect_library.h"
#include "matrices.h"
#include "plugin_fixture.h"
#include "ref_host.h"

namespace {

constexpr float kUntouched = 7.0f;
constexpr D3DCOLOR kHalfAlphaWhite = 0x80FFFFFF;
constexpr int kStageImages[2] = {1, 2};

struct ContractRow {
    int line;
    std::string parameter, type, semantic, byInstanceSet, byEffectCamera;
};

std::vector<ContractRow> ReadContract(const char* path)
{
    std::ifstream in(path);
    std::vector<ContractRow> rows;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (number == 1)
            continue; // the heading
        std::istringstream fields(line);
        ContractRow row{number};
        for (std::string* field : {&row.parameter, &row.type, &row.semantic, &row.byInstanceSet, &row.byEffectCamera})
            std::getline(fields, *field, '\t');
        rows.push_back(row);
    }
    return rows;
}

refhost::EffectParameterKind KindOf(const std::string& type)
{
    using K = refhost::EffectParameterKind;
    return type == "float4x4" ? K::Matrix : type == "float4" ? K::Vector : type == "texture" ? K::Texture : K::Float;
}

// `base` with every parameter of the table, each starting at kUntouched: base parameters with a
// row's semantic take the row's place, the others are added in row order. The base's own textures
// go, so that the table's textures are the effect's first and second.
refhost::EffectDescription ContractEffect(refhost::EffectDescription base, const std::vector<ContractRow>& rows)
{
    auto& parameters = base.parameters;
    parameters.erase(std::remove_if(parameters.begin(), parameters.end(),
                                    [](const auto& p) { return p.kind == refhost::EffectParameterKind::Texture; }),
                     parameters.end());
    for (const ContractRow& row : rows) {
        auto same = std::find_if(parameters.begin(), parameters.end(), [&](const auto& p) {
            return !row.semantic.empty() && p.semantic == row.semantic;
        });
        if (same == parameters.end()) {
            refhost::EffectParameter p;
            p.name = "Row" + std::to_string(row.line);
            p.semantic = row.semantic;
            p.kind = KindOf(row.type);
            parameters.push_back(p);
            same = parameters.end() - 1;
        }
        same->initial.assign(row.type == "float4x4" ? 16 : row.type == "float4" ? 4 : 1, kUntouched);
    }
    return base;
}

D3DXMATRIX Product(const D3DXMATRIX& a, const D3DXMATRIX& b)
{
    D3DXMATRIX out;
    D3DXMatrixMultiply(&out, &a, &b);
    return out;
}

// What one kind of draw should hand the effect; a row's value names these.
struct DrawValues {
    D3DXMATRIX W, V, P;
    D3DXVECTOR4 clip;
    float alpha;

    // "V", "W*V*P", "inverse(W*V)", "transpose(inverse(V))"; false for anything else.
    bool Matrix(const std::string& text, D3DXMATRIX& out) const
    {
        for (const char* wrapper : {"transpose(", "inverse("}) {
            const size_t open = std::string(wrapper).size();
            if (text.rfind(wrapper, 0) == 0 && text.back() == ')') {
                D3DXMATRIX inner;
                if (!Matrix(text.substr(open, text.size() - open - 1), inner))
                    return false;
                if (wrapper[0] == 't')
                    out = Transposed(inner);
                else
                    D3DXMatrixInverse(&out, nullptr, &inner);
                return true;
            }
        }
        D3DXMatrixIdentity(&out);
        for (size_t i = 0; i < text.size(); i += 2) {
            const char name = text[i];
            if ((name != 'W' && name != 'V' && name != 'P') || (i + 1 < text.size() && text[i + 1] != '*'))
                return false;
            out = Product(out, name == 'W' ? W : name == 'V' ? V : P);
        }
        return !text.empty();
    }

    D3DXVECTOR4 Eye() const
    {
        D3DXMATRIX inverse;
        D3DXMatrixInverse(&inverse, nullptr, &V);
        return {inverse._41, inverse._42, inverse._43, 1.0f};
    }
};

// Checks every row's parameter of `effect` against the row's value for this draw (`column`).
void ExpectContract(ID3DXEffect* effect, const std::vector<ContractRow>& rows,
                    std::string ContractRow::*column, const DrawValues& values, const char* draw)
{
    for (const ContractRow& row : rows) {
        const std::string& value = row.*column;
        SCOPED_TRACE(std::string(draw) + ", line " + std::to_string(row.line) + " (" + row.parameter + "): " + value);
        D3DXHANDLE handle = row.semantic.empty() ? effect->GetParameterByName(nullptr, ("Row" + std::to_string(row.line)).c_str())
                                                 : effect->GetParameterBySemantic(nullptr, row.semantic.c_str());
        ASSERT_NE(handle, nullptr);
        if (row.type == "texture") {
            IDirect3DBaseTexture9* texture = nullptr;
            effect->GetTexture(handle, &texture);
            const int stage = value == "stage 0" ? 0 : value == "stage 1" ? 1 : -1;
            ASSERT_TRUE(stage >= 0 || value == "-") << "a texture row's value is a stage or -";
            EXPECT_EQ(texture, stage >= 0 ? refhost::GetImagePointer(kStageImages[stage]) : nullptr);
            if (texture)
                texture->Release();
            continue;
        }
        // Vectors and floats fill the first elements of a matrix of zeros, compared like one.
        float got[16] = {}, expected[16] = {};
        const int count = row.type == "float4x4" ? 16 : row.type == "float4" ? 4 : 1;
        effect->GetFloatArray(handle, got, count);
        if (value == "-") {
            std::fill_n(expected, count, kUntouched);
        } else if (count == 16) {
            D3DXMATRIX m;
            ASSERT_TRUE(values.Matrix(value, m)) << "not a value of W, V and P";
            std::copy_n(static_cast<const float*>(m), 16, expected);
        } else if (value == "eye" || value == "clip") {
            const D3DXVECTOR4 v = value == "eye" ? values.Eye() : values.clip;
            std::copy_n(static_cast<const float*>(v), 4, expected);
        } else {
            ASSERT_TRUE(value == "alpha" || value == "0") << "not a value this test knows";
            expected[0] = value == "alpha" ? values.alpha : 0.0f;
        }
        EXPECT_TRUE(MatrixNear(D3DXMATRIX(expected), D3DXMATRIX(got)));
    }
}

class EffectContractTest : public RyxoDllTest {
protected:
    void SetUp() override
    {
        RyxoDllTest::SetUp();
        refhost::ResetScene();
        rows_ = ReadContract(RYXO_EFFECT_CONTRACT_TSV);
        ASSERT_GE(rows_.size(), 20u) << "cannot read " << RYXO_EFFECT_CONTRACT_TSV;
        for (int image : kStageImages)
            refhost::MakeImage(image, 4, 4, 0xFF000000 | (image * 0x40));
    }
    void TearDown() override
    {
        refhost::ResetScene();
        RyxoDllTest::TearDown();
    }

    // Hidden object `object` (so that only Ryxo's draw feeds its effect): a cube with two texture
    // stages and a diffuse colour of alpha 0x80, drawn with `base` widened by the table.
    ID3DXEffect* MakeObject(int object, const refhost::EffectDescription& base)
    {
        refhost::MeshDescription cube;
        cube.textureStages = 2;
        cube.colour = kHalfAlphaWhite;
        std::string error;
        HostEffect* record = refhost::AddDescribedEffect(object, ContractEffect(base, rows_), &error);
        if (!record || !refhost::MakeObject(object, cube)) {
            ADD_FAILURE() << "object " << object << ": " << error;
            return nullptr;
        }
        refhost::SetObjectEffect(object, object);
        for (int stage = 0; stage < 2; ++stage)
            refhost::SetTextureStage(object, stage, kStageImages[stage]);
        refhost::HideObject(object);
        return record->effect;
    }

    std::vector<ContractRow> rows_;
};

TEST_F(EffectContractTest, EveryParameterHoldsWhatTheManualsTableSays)
{
    // An instance set of one instance, drawn while the host renders camera 0, which clips.
    ID3DXEffect* setEffect = MakeObject(1, refhost::InstancingEffectDescription());
    ASSERT_NE(setEffect, nullptr);
    refhost::SetCameraPosition(0, 1.0f, 2.0f, -10.0f);
    refhost::SetCameraRotation(0, 10.0f, 20.0f, 0.0f);
    HostCameraData* host = refhost::GetCameraData(0);
    host->clipMode = 1;
    host->clipPlane = D3DXPLANE(0.0f, 1.0f, 0.0f, -2.0f);
    const int set = CALL(GeoInst_MakeNew);
    CALL(GeoInst_SetMesh, set, 1, 0);
    CALL(GeoInst_SetMaxInstanceCount, set, 1);
    CALL(GeoInst_SetInstanceCount, set, 1);
    CALL(GeoInst_SetScaleUniform, set, 1, 100.0f);
    CALL(GeoInst_UpdateInstance, set, 1);
    CALL(GeoInst_Update, set);
    refhost::SetSyncMask(1);
    refhost::FastSync();
    const float halfAlpha = 128.0f / 255.0f;
    D3DXMATRIX unused; // an instance's world matrix comes from the instance stream, never the effect
    D3DXMatrixIdentity(&unused);
    ExpectContract(setEffect, rows_, &ContractRow::byInstanceSet,
                   {unused, host->view, host->projection, D3DXVECTOR4(0.0f, 1.0f, 0.0f, -2.0f), halfAlpha},
                   "instance set");
    CALL(GeoInst_Delete, set);

    // An effect camera at (1, 2, 3) looking along +z, drawing a turned, stretched and moved object.
    ID3DXEffect* cameraEffect = MakeObject(2, refhost::PlainEffectDescription());
    ASSERT_NE(cameraEffect, nullptr);
    refhost::SetObjectPosition(2, 4.0f, 5.0f, 6.0f);
    refhost::SetObjectRotation(2, 30.0f, 40.0f, 50.0f);
    refhost::SetObjectScale(2, 2.0f, 1.0f, 1.0f);
    CALL(EfxCam_MakeNew, 0);
    CALL(EfxCam_SetToImage, 0, 3, 32, 32);
    CALL(EfxCam_SetObject, 0, 2);
    CALL(EfxCam_SetPosition, 0, 1.0f, 2.0f, 3.0f);
    CALL(EfxCam_SetFOV, 0, 0.8f);
    CALL(EfxCam_SetAspect, 0, 1.5f);
    CALL(EfxCam_SetRange, 0, 0.5f, 50.0f);
    CALL(EfxCam_SyncMask, 1);
    CALL(EfxCam_Sync);
    DrawValues camera{refhost::GetObjectRecord(2)->world, {}, {}, {}, halfAlpha};
    D3DXMatrixTranslation(&camera.V, -1.0f, -2.0f, -3.0f);
    D3DXMatrixPerspectiveFovLH(&camera.P, 0.8f, 1.5f, 0.5f, 50.0f);
    ExpectContract(cameraEffect, rows_, &ContractRow::byEffectCamera, camera, "effect camera");
    CALL(EfxCam_Delete, 0);
}

} // namespace
