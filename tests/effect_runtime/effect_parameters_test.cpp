// Parameters of the host effect behave as D3DX parameters: descriptions, lookup, every kind of value
// in and out (with D3DX's conversions), arrays and their elements, and the calls D3DX refuses.
#include <cstring>
#include <vector>

#include "matrices.h"
#include "reference_count.h"
#include "zoo_fixture.h"

namespace {

D3DXMATRIX Numbered(float base)
{
    D3DXMATRIX m;
    for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = base + static_cast<float>(i);
    return m;
}

void ExpectMatrixEq(const D3DXMATRIX& expected, const D3DXMATRIX& actual, const char* what)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(actual.m[r][c], expected.m[r][c]) << what << " at row " << r << " column " << c;
}

struct ExpectedDesc {
    const char* name;
    const char* semantic; // null = none
    D3DXPARAMETER_CLASS cls;
    D3DXPARAMETER_TYPE type;
    UINT rows, columns, elements, bytes;
};

TEST_F(ZooEffectTest, DescribesEveryParameterLikeD3DX)
{
    const ExpectedDesc expected[] = {
        {"BoolValue", "ZOOBOOL", D3DXPC_SCALAR, D3DXPT_BOOL, 1, 1, 0, 4},
        {"IntValue", "ZOOINT", D3DXPC_SCALAR, D3DXPT_INT, 1, 1, 0, 4},
        {"FloatValue", "ZOOFLOAT", D3DXPC_SCALAR, D3DXPT_FLOAT, 1, 1, 0, 4},
        {"VectorValue", "ZooVector", D3DXPC_VECTOR, D3DXPT_FLOAT, 1, 4, 0, 16},
        {"MatrixValue", "ZOOMATRIX", D3DXPC_MATRIX_ROWS, D3DXPT_FLOAT, 4, 4, 0, 64},
        {"BoolArray", nullptr, D3DXPC_SCALAR, D3DXPT_BOOL, 1, 1, 4, 16},
        {"IntArray", nullptr, D3DXPC_SCALAR, D3DXPT_INT, 1, 1, 4, 16},
        {"FloatArray", nullptr, D3DXPC_SCALAR, D3DXPT_FLOAT, 1, 1, 6, 24},
        {"VectorArray", "ZOOVECTORS", D3DXPC_VECTOR, D3DXPT_FLOAT, 1, 4, 16, 256},
        {"MatrixArray", nullptr, D3DXPC_MATRIX_ROWS, D3DXPT_FLOAT, 4, 4, 4, 256},
        {"TextureA", "DIFFUSEMAP", D3DXPC_OBJECT, D3DXPT_TEXTURE, 0, 0, 0, 4},
        {"TextureB", nullptr, D3DXPC_OBJECT, D3DXPT_TEXTURE, 0, 0, 0, 4},
        {"Label", nullptr, D3DXPC_OBJECT, D3DXPT_STRING, 0, 0, 0, 4},
    };
    D3DXEFFECT_DESC effectDesc{};
    ASSERT_EQ(effect_->GetDesc(&effectDesc), D3D_OK);
    EXPECT_EQ(effectDesc.Parameters, std::size(expected));
    EXPECT_EQ(effectDesc.Techniques, 3u);
    EXPECT_EQ(effectDesc.Functions, 0u);

    for (UINT i = 0; i < std::size(expected); ++i) {
        const ExpectedDesc& e = expected[i];
        D3DXHANDLE byIndex = effect_->GetParameter(nullptr, i);
        EXPECT_EQ(byIndex, effect_->GetParameterByName(nullptr, e.name)) << e.name << " is not parameter " << i;
        D3DXPARAMETER_DESC d{};
        ASSERT_EQ(effect_->GetParameterDesc(byIndex, &d), D3D_OK) << e.name;
        EXPECT_STREQ(d.Name, e.name);
        if (e.semantic) EXPECT_STREQ(d.Semantic, e.semantic) << e.name;
        else EXPECT_EQ(d.Semantic, nullptr) << e.name;
        EXPECT_EQ(d.Class, e.cls) << e.name;
        EXPECT_EQ(d.Type, e.type) << e.name;
        EXPECT_EQ(d.Rows, e.rows) << e.name;
        EXPECT_EQ(d.Columns, e.columns) << e.name;
        EXPECT_EQ(d.Elements, e.elements) << e.name;
        EXPECT_EQ(d.Bytes, e.bytes) << e.name;
        EXPECT_EQ(d.Annotations, 0u);
        EXPECT_EQ(d.StructMembers, 0u);
    }
    EXPECT_EQ(effect_->GetParameter(nullptr, std::size(expected)), nullptr);

    // An element describes one value of its array, under the array's name and semantic.
    D3DXPARAMETER_DESC element{};
    ASSERT_EQ(effect_->GetParameterDesc(effect_->GetParameterElement(Param("VectorArray"), 5), &element), D3D_OK);
    EXPECT_STREQ(element.Name, "VectorArray");
    EXPECT_STREQ(element.Semantic, "ZOOVECTORS");
    EXPECT_EQ(element.Class, D3DXPC_VECTOR);
    EXPECT_EQ(element.Elements, 0u);
    EXPECT_EQ(element.Bytes, 16u);
}

TEST_F(ZooEffectTest, FindsParametersByNameSemanticAndElement)
{
    D3DXHANDLE vector = Param("VectorValue");
    EXPECT_EQ(effect_->GetParameterByName(nullptr, "vectorvalue"), nullptr) << "names are case-sensitive";
    EXPECT_EQ(effect_->GetParameterByName(nullptr, "NoSuchParameter"), nullptr);
    EXPECT_EQ(effect_->GetParameterByName(nullptr, nullptr), nullptr);

    // Semantics are compared without regard to case, as D3DX does.
    EXPECT_EQ(effect_->GetParameterBySemantic(nullptr, "zoovector"), vector);
    EXPECT_EQ(effect_->GetParameterBySemantic(nullptr, "ZOOVECTOR"), vector);
    EXPECT_EQ(effect_->GetParameterBySemantic(nullptr, "ZooMatrix"), Param("MatrixValue"));
    EXPECT_EQ(effect_->GetParameterBySemantic(nullptr, "DiffuseMap"), Param("TextureA"));
    EXPECT_EQ(effect_->GetParameterBySemantic(nullptr, "NOSUCHSEMANTIC"), nullptr);
    EXPECT_EQ(effect_->GetParameterBySemantic(nullptr, nullptr), nullptr);

    // Elements: by index, by "[i]" under the array, by "Name[i]" from the top.
    D3DXHANDLE array = Param("VectorArray");
    D3DXHANDLE third = effect_->GetParameterElement(array, 3);
    ASSERT_NE(third, nullptr);
    EXPECT_NE(third, array);
    EXPECT_NE(third, effect_->GetParameterElement(array, 4));
    EXPECT_EQ(effect_->GetParameterByName(array, "[3]"), third);
    EXPECT_EQ(effect_->GetParameterByName(nullptr, "VectorArray[3]"), third);
    EXPECT_EQ(effect_->GetParameter(array, 3), third);
    EXPECT_EQ(effect_->GetParameterElement(array, 16), nullptr) << "past the last element";
    EXPECT_EQ(effect_->GetParameterElement(vector, 0), nullptr) << "a single value has no elements";
    EXPECT_EQ(effect_->GetParameterElement(third, 0), nullptr) << "an element has no elements";
    EXPECT_EQ(effect_->GetParameterByName(nullptr, "VectorArray[16]"), nullptr);
    EXPECT_EQ(effect_->GetParameterBySemantic(array, "zoovectors"), effect_->GetParameterElement(array, 0));
}

TEST_F(ZooEffectTest, AcceptsParameterNamesWhereHandlesAreExpected)
{
    ASSERT_EQ(effect_->SetFloat("FloatValue", 2.5f), D3D_OK);
    FLOAT f = 0;
    ASSERT_EQ(effect_->GetFloat(Param("FloatValue"), &f), D3D_OK);
    EXPECT_EQ(f, 2.5f);
    D3DXVECTOR4 v(9, 8, 7, 6);
    ASSERT_EQ(effect_->SetVector("VectorArray[2]", &v), D3D_OK);
    D3DXVECTOR4 back;
    ASSERT_EQ(effect_->GetVector(effect_->GetParameterElement(Param("VectorArray"), 2), &back), D3D_OK);
    EXPECT_EQ(back, v);
    EXPECT_EQ(effect_->SetFloat("Missing", 1.0f), D3DERR_INVALIDCALL);
}

TEST_F(ZooEffectTest, StartsWithTheDeclaredInitialValues)
{
    BOOL b = FALSE;
    INT n = 0;
    FLOAT f = 0;
    D3DXVECTOR4 v;
    D3DXMATRIX m;
    const char* s = nullptr;
    ASSERT_EQ(effect_->GetBool(Param("BoolValue"), &b), D3D_OK);
    ASSERT_EQ(effect_->GetInt(Param("IntValue"), &n), D3D_OK);
    ASSERT_EQ(effect_->GetFloat(Param("FloatValue"), &f), D3D_OK);
    ASSERT_EQ(effect_->GetVector(Param("VectorValue"), &v), D3D_OK);
    ASSERT_EQ(effect_->GetMatrix(Param("MatrixValue"), &m), D3D_OK);
    ASSERT_EQ(effect_->GetString(Param("Label"), &s), D3D_OK);
    EXPECT_EQ(b, TRUE);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(f, 0.5f);
    EXPECT_EQ(v, D3DXVECTOR4(1, 2, 3, 4));
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    ExpectMatrixEq(identity, m, "MatrixValue");
    EXPECT_STREQ(s, "zoo");
}

TEST_F(ZooEffectTest, ScalarsRoundTripAndConvertLikeD3DX)
{
    D3DXHANDLE boolean = Param("BoolValue"), integer = Param("IntValue"), real = Param("FloatValue");
    BOOL b = -1;
    INT n = -1;
    FLOAT f = -1;

    // Any non-zero BOOL is stored as TRUE (1).
    ASSERT_EQ(effect_->SetBool(boolean, 5), D3D_OK);
    DWORD raw = 0;
    ASSERT_EQ(effect_->GetValue(boolean, &raw, sizeof raw), D3D_OK);
    EXPECT_EQ(raw, 1u);
    ASSERT_EQ(effect_->SetBool(boolean, FALSE), D3D_OK);
    ASSERT_EQ(effect_->GetBool(boolean, &b), D3D_OK);
    EXPECT_EQ(b, FALSE);

    ASSERT_EQ(effect_->SetInt(integer, -123456), D3D_OK);
    ASSERT_EQ(effect_->GetInt(integer, &n), D3D_OK);
    EXPECT_EQ(n, -123456);
    ASSERT_EQ(effect_->SetFloat(real, -0.375f), D3D_OK);
    ASSERT_EQ(effect_->GetFloat(real, &f), D3D_OK);
    EXPECT_EQ(f, -0.375f);

    // Conversions between the scalar types.
    ASSERT_EQ(effect_->SetFloat(integer, 2.75f), D3D_OK);
    ASSERT_EQ(effect_->GetInt(integer, &n), D3D_OK);
    EXPECT_EQ(n, 2) << "a float stored in an int is truncated";
    ASSERT_EQ(effect_->GetFloat(integer, &f), D3D_OK);
    EXPECT_EQ(f, 2.0f);
    ASSERT_EQ(effect_->SetInt(boolean, 7), D3D_OK);
    ASSERT_EQ(effect_->GetFloat(boolean, &f), D3D_OK);
    EXPECT_EQ(f, 1.0f);
    ASSERT_EQ(effect_->SetBool(real, TRUE), D3D_OK);
    ASSERT_EQ(effect_->GetFloat(real, &f), D3D_OK);
    EXPECT_EQ(f, 1.0f);
    ASSERT_EQ(effect_->SetFloat(real, 0.25f), D3D_OK);
    ASSERT_EQ(effect_->GetBool(real, &b), D3D_OK);
    EXPECT_EQ(b, TRUE);

    // A scalar read as a vector fills x only.
    D3DXVECTOR4 v(9, 9, 9, 9);
    ASSERT_EQ(effect_->GetVector(real, &v), D3D_OK);
    EXPECT_EQ(v, D3DXVECTOR4(0.25f, 0, 0, 0));
    D3DXVECTOR4 in(0.75f, 5, 6, 7);
    ASSERT_EQ(effect_->SetVector(real, &in), D3D_OK);
    ASSERT_EQ(effect_->GetFloat(real, &f), D3D_OK);
    EXPECT_EQ(f, 0.75f);
}

TEST_F(ZooEffectTest, VectorsRoundTripAndExchangeColoursWithInts)
{
    D3DXHANDLE vector = Param("VectorValue");
    D3DXVECTOR4 in(0.5f, -1.5f, 2.25f, 1e6f), out;
    ASSERT_EQ(effect_->SetVector(vector, &in), D3D_OK);
    ASSERT_EQ(effect_->GetVector(vector, &out), D3D_OK);
    EXPECT_EQ(out, in);
    float raw[4] = {};
    ASSERT_EQ(effect_->GetValue(vector, raw, sizeof raw), D3D_OK);
    EXPECT_EQ(std::memcmp(raw, &in, sizeof raw), 0);

    // An int given to a float4 is a D3DCOLOR (0xAARRGGBB) and comes back as one.
    ASSERT_EQ(effect_->SetInt(vector, static_cast<INT>(0x80FF4000)), D3D_OK);
    ASSERT_EQ(effect_->GetVector(vector, &out), D3D_OK);
    EXPECT_EQ(out, D3DXVECTOR4(1.0f, 64 / 255.0f, 0.0f, 128 / 255.0f));
    INT color = 0;
    ASSERT_EQ(effect_->GetInt(vector, &color), D3D_OK);
    EXPECT_EQ(static_cast<DWORD>(color), 0x80FF4000u);

    // And a vector given to an int is packed into a D3DCOLOR, components clamped to 0..1.
    D3DXHANDLE integer = Param("IntValue");
    D3DXVECTOR4 rgba(1.0f, 0.0f, 2.0f, -1.0f);
    ASSERT_EQ(effect_->SetVector(integer, &rgba), D3D_OK);
    ASSERT_EQ(effect_->GetInt(integer, &color), D3D_OK);
    EXPECT_EQ(static_cast<DWORD>(color), 0x00FF00FFu);
}

TEST_F(ZooEffectTest, MatricesRoundTripStraightAndTransposed)
{
    D3DXHANDLE matrix = Param("MatrixValue");
    const D3DXMATRIX m = Numbered(1.0f);
    D3DXMATRIX out;

    ASSERT_EQ(effect_->SetMatrix(matrix, &m), D3D_OK);
    ASSERT_EQ(effect_->GetMatrix(matrix, &out), D3D_OK);
    ExpectMatrixEq(m, out, "GetMatrix after SetMatrix");
    ASSERT_EQ(effect_->GetMatrixTranspose(matrix, &out), D3D_OK);
    ExpectMatrixEq(Transposed(m), out, "GetMatrixTranspose after SetMatrix");
    float raw[16];
    ASSERT_EQ(effect_->GetValue(matrix, raw, sizeof raw), D3D_OK);
    EXPECT_EQ(std::memcmp(raw, &m, sizeof raw), 0) << "values are kept rows first";

    ASSERT_EQ(effect_->SetMatrixTranspose(matrix, &m), D3D_OK);
    ASSERT_EQ(effect_->GetMatrix(matrix, &out), D3D_OK);
    ExpectMatrixEq(Transposed(m), out, "GetMatrix after SetMatrixTranspose");
    ASSERT_EQ(effect_->GetMatrixTranspose(matrix, &out), D3D_OK);
    ExpectMatrixEq(m, out, "GetMatrixTranspose after SetMatrixTranspose");

    // SetValue takes the same 64 bytes.
    const D3DXMATRIX other = Numbered(100.0f);
    ASSERT_EQ(effect_->SetValue(matrix, &other, sizeof other), D3D_OK);
    ASSERT_EQ(effect_->GetMatrix(matrix, &out), D3D_OK);
    ExpectMatrixEq(other, out, "GetMatrix after SetValue");
}

TEST_F(ZooEffectTest, ScalarArraysRoundTripAndStopAtTheirSize)
{
    D3DXHANDLE floats = Param("FloatArray");
    const FLOAT in[8] = {1.5f, -2, 3, 4, 5, 6, 77, 88};
    ASSERT_EQ(effect_->SetFloatArray(floats, in, 8), D3D_OK) << "a longer source is cut to the array";
    FLOAT out[8] = {0, 0, 0, 0, 0, 0, -1, -1};
    ASSERT_EQ(effect_->GetFloatArray(floats, out, 8), D3D_OK);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i], in[i]) << "element " << i;
    EXPECT_EQ(out[6], -1.0f) << "GetFloatArray wrote past the array's 6 values";
    FLOAT element = 0;
    ASSERT_EQ(effect_->GetFloat(effect_->GetParameterElement(floats, 1), &element), D3D_OK);
    EXPECT_EQ(element, -2.0f);
    ASSERT_EQ(effect_->SetFloat(effect_->GetParameterElement(floats, 4), 0.125f), D3D_OK);
    ASSERT_EQ(effect_->GetFloatArray(floats, out, 6), D3D_OK);
    EXPECT_EQ(out[4], 0.125f);
    EXPECT_EQ(out[3], 4.0f);

    D3DXHANDLE ints = Param("IntArray");
    const INT intsIn[4] = {-1, 0, 65536, 42};
    INT intsOut[4] = {};
    ASSERT_EQ(effect_->SetIntArray(ints, intsIn, 4), D3D_OK);
    ASSERT_EQ(effect_->GetIntArray(ints, intsOut, 4), D3D_OK);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(intsOut[i], intsIn[i]) << "element " << i;

    D3DXHANDLE bools = Param("BoolArray");
    const BOOL boolsIn[4] = {TRUE, FALSE, 9, FALSE};
    BOOL boolsOut[4] = {-1, -1, -1, -1};
    ASSERT_EQ(effect_->SetBoolArray(bools, boolsIn, 4), D3D_OK);
    ASSERT_EQ(effect_->GetBoolArray(bools, boolsOut, 4), D3D_OK);
    EXPECT_EQ(boolsOut[0], TRUE);
    EXPECT_EQ(boolsOut[1], FALSE);
    EXPECT_EQ(boolsOut[2], TRUE) << "any non-zero BOOL is stored as TRUE";
    EXPECT_EQ(boolsOut[3], FALSE);

    // The array calls also reach the values of vectors and matrices, rows first.
    const FLOAT vectorIn[4] = {4, 3, 2, 1};
    ASSERT_EQ(effect_->SetFloatArray(Param("VectorValue"), vectorIn, 4), D3D_OK);
    D3DXVECTOR4 v;
    ASSERT_EQ(effect_->GetVector(Param("VectorValue"), &v), D3D_OK);
    EXPECT_EQ(v, D3DXVECTOR4(4, 3, 2, 1));
    FLOAT matrixOut[16];
    const D3DXMATRIX m = Numbered(0.0f);
    ASSERT_EQ(effect_->SetMatrix(Param("MatrixValue"), &m), D3D_OK);
    ASSERT_EQ(effect_->GetFloatArray(Param("MatrixValue"), matrixOut, 16), D3D_OK);
    EXPECT_EQ(matrixOut[1], 1.0f);
    EXPECT_EQ(matrixOut[4], 4.0f);
}

TEST_F(ZooEffectTest, VectorArraysRoundTripWholeAndByElement)
{
    D3DXHANDLE array = Param("VectorArray");
    std::vector<D3DXVECTOR4> in;
    for (int i = 0; i < 16; ++i) in.emplace_back(float(i), float(i) + 0.5f, -float(i), 100.0f + i);
    ASSERT_EQ(effect_->SetVectorArray(array, in.data(), 16), D3D_OK);
    std::vector<D3DXVECTOR4> out(16);
    ASSERT_EQ(effect_->GetVectorArray(array, out.data(), 16), D3D_OK);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(out[i], in[i]) << "element " << i;

    D3DXVECTOR4 seventh;
    ASSERT_EQ(effect_->GetVector(effect_->GetParameterElement(array, 7), &seventh), D3D_OK);
    EXPECT_EQ(seventh, in[7]);

    // A shorter array call changes only the leading elements.
    const D3DXVECTOR4 two[2] = {{-1, -2, -3, -4}, {-5, -6, -7, -8}};
    ASSERT_EQ(effect_->SetVectorArray(array, two, 2), D3D_OK);
    ASSERT_EQ(effect_->GetVectorArray(array, out.data(), 3), D3D_OK);
    EXPECT_EQ(out[0], two[0]);
    EXPECT_EQ(out[1], two[1]);
    EXPECT_EQ(out[2], in[2]);

    EXPECT_EQ(effect_->SetVectorArray(array, in.data(), 17), D3DERR_INVALIDCALL) << "more vectors than elements";
    EXPECT_EQ(effect_->GetVectorArray(array, out.data(), 17), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->SetVectorArray(Param("VectorValue"), in.data(), 1), D3DERR_INVALIDCALL) << "not an array";
}

TEST_F(ZooEffectTest, MatrixArraysRoundTripInEveryForm)
{
    D3DXHANDLE array = Param("MatrixArray");
    const D3DXMATRIX in[4] = {Numbered(0), Numbered(16), Numbered(32), Numbered(48)};
    D3DXMATRIX out[4];

    ASSERT_EQ(effect_->SetMatrixArray(array, in, 4), D3D_OK);
    ASSERT_EQ(effect_->GetMatrixArray(array, out, 4), D3D_OK);
    for (int i = 0; i < 4; ++i) ExpectMatrixEq(in[i], out[i], "GetMatrixArray");
    ASSERT_EQ(effect_->GetMatrixTransposeArray(array, out, 4), D3D_OK);
    for (int i = 0; i < 4; ++i) ExpectMatrixEq(Transposed(in[i]), out[i], "GetMatrixTransposeArray");
    D3DXMATRIX element;
    ASSERT_EQ(effect_->GetMatrix(effect_->GetParameterElement(array, 2), &element), D3D_OK);
    ExpectMatrixEq(in[2], element, "element 2");

    // Pointer arrays: matrices scattered in memory, in the order of the pointers.
    const D3DXMATRIX* pointers[3] = {&in[3], &in[0], &in[1]};
    ASSERT_EQ(effect_->SetMatrixPointerArray(array, pointers, 3), D3D_OK);
    ASSERT_EQ(effect_->GetMatrixArray(array, out, 4), D3D_OK);
    ExpectMatrixEq(in[3], out[0], "pointer array element 0");
    ExpectMatrixEq(in[0], out[1], "pointer array element 1");
    ExpectMatrixEq(in[1], out[2], "pointer array element 2");
    ExpectMatrixEq(in[3], out[3], "untouched element 3");
    D3DXMATRIX a, b;
    D3DXMATRIX* outPointers[2] = {&b, &a};
    ASSERT_EQ(effect_->GetMatrixPointerArray(array, outPointers, 2), D3D_OK);
    ExpectMatrixEq(in[3], b, "GetMatrixPointerArray 0");
    ExpectMatrixEq(in[0], a, "GetMatrixPointerArray 1");

    ASSERT_EQ(effect_->SetMatrixTransposeArray(array, in, 2), D3D_OK);
    ASSERT_EQ(effect_->GetMatrixArray(array, out, 2), D3D_OK);
    ExpectMatrixEq(Transposed(in[0]), out[0], "after SetMatrixTransposeArray");
    ExpectMatrixEq(Transposed(in[1]), out[1], "after SetMatrixTransposeArray");

    const D3DXMATRIX* transposedPointers[1] = {&in[2]};
    ASSERT_EQ(effect_->SetMatrixTransposePointerArray(array, transposedPointers, 1), D3D_OK);
    ASSERT_EQ(effect_->GetMatrix(effect_->GetParameterElement(array, 0), &element), D3D_OK);
    ExpectMatrixEq(Transposed(in[2]), element, "after SetMatrixTransposePointerArray");
    D3DXMATRIX* single[1] = {&a};
    ASSERT_EQ(effect_->GetMatrixTransposePointerArray(array, single, 1), D3D_OK);
    ExpectMatrixEq(in[2], a, "GetMatrixTransposePointerArray");

    EXPECT_EQ(effect_->SetMatrixArray(array, in, 5), D3DERR_INVALIDCALL) << "more matrices than elements";
    EXPECT_EQ(effect_->SetArrayRange(array, 0, 2), D3D_OK);
}

TEST_F(ZooEffectTest, RefusesWhatD3DXRefuses)
{
    D3DXHANDLE matrix = Param("MatrixValue"), vector = Param("VectorValue"), floats = Param("FloatArray");
    D3DXHANDLE texture = Param("TextureA");
    INT n;
    FLOAT f;
    BOOL b;
    D3DXVECTOR4 v(1, 2, 3, 4);
    D3DXMATRIX m = Numbered(0);

    EXPECT_EQ(effect_->GetInt(matrix, &n), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->SetInt(matrix, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->GetFloat(vector, &f), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->SetFloat(vector, 1.0f), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->GetBool(floats, &b), D3DERR_INVALIDCALL) << "an array is not one value";
    EXPECT_EQ(effect_->SetFloat(floats, 1.0f), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->GetVector(matrix, &v), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->SetVector(floats, &v), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->SetMatrix(vector, &m), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->GetMatrixTranspose(vector, &m), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->SetMatrix(Param("MatrixArray"), &m), D3DERR_INVALIDCALL) << "an array takes SetMatrixArray";
    EXPECT_EQ(effect_->SetTexture(vector, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->SetFloat(texture, 1.0f), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->SetFloatArray(texture, &f, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->SetVector(texture, &v), D3DERR_INVALIDCALL);
    const char* s;
    EXPECT_EQ(effect_->GetString(vector, &s), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->SetValue(vector, &v, 12), D3DERR_INVALIDCALL) << "fewer bytes than the parameter has";
    EXPECT_EQ(effect_->GetValue(matrix, &m, 63), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->GetDevice(nullptr), D3DERR_INVALIDCALL);

    // Handles that name no parameter: null, a technique, memory that is no text at all.
    EXPECT_EQ(effect_->SetFloat(nullptr, 1.0f), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->SetFloat(effect_->GetTechnique(0), 1.0f), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->SetFloat(reinterpret_cast<D3DXHANDLE>(0x10), 1.0f), D3DERR_INVALIDCALL);
    D3DXPARAMETER_DESC d;
    EXPECT_EQ(effect_->GetParameterDesc(nullptr, &d), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->GetParameterByName(reinterpret_cast<D3DXHANDLE>(0x10), "x"), nullptr);
}

TEST_F(ZooEffectTest, TexturesHoldOneReferenceWhileSet)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(refhost::Device()->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    const ULONG alone = ReferenceCount(texture);
    D3DXHANDLE a = Param("TextureA");

    ASSERT_EQ(effect_->SetTexture(a, texture), D3D_OK);
    EXPECT_EQ(ReferenceCount(texture), alone + 1);
    ASSERT_EQ(effect_->SetTexture(a, texture), D3D_OK);
    EXPECT_EQ(ReferenceCount(texture), alone + 1) << "setting the same texture again takes no second reference";

    IDirect3DBaseTexture9* got = nullptr;
    ASSERT_EQ(effect_->GetTexture(a, &got), D3D_OK);
    EXPECT_EQ(got, texture);
    EXPECT_EQ(ReferenceCount(texture), alone + 2) << "GetTexture hands out a reference";
    got->Release();

    IDirect3DBaseTexture9* other = nullptr;
    ASSERT_EQ(effect_->GetTexture(Param("TextureB"), &other), D3D_OK);
    EXPECT_EQ(other, nullptr);

    ASSERT_EQ(effect_->SetTexture(a, nullptr), D3D_OK);
    EXPECT_EQ(ReferenceCount(texture), alone);

    // The effect lets its textures go when it is released.
    ASSERT_EQ(effect_->SetTexture(Param("TextureB"), texture), D3D_OK);
    EXPECT_EQ(effect_->Release(), 0u);
    effect_ = nullptr;
    EXPECT_EQ(ReferenceCount(texture), alone);
    texture->Release();
}

TEST_F(ZooEffectTest, StringsRoundTrip)
{
    D3DXHANDLE label = Param("Label");
    std::string text = "changing";
    ASSERT_EQ(effect_->SetString(label, text.c_str()), D3D_OK);
    text = "overwritten";
    const char* out = nullptr;
    ASSERT_EQ(effect_->GetString(label, &out), D3D_OK);
    EXPECT_STREQ(out, "changing") << "the effect keeps its own copy";
}

TEST_F(ZooEffectTest, RawValuesWriteIntoTheParameter)
{
    D3DXHANDLE vector = Param("VectorValue");
    const float yz[2] = {-7, -8};
    ASSERT_EQ(effect_->SetRawValue(vector, yz, 4, 8), D3D_OK);
    D3DXVECTOR4 v;
    ASSERT_EQ(effect_->GetVector(vector, &v), D3D_OK);
    EXPECT_EQ(v, D3DXVECTOR4(1, -7, -8, 4));
    EXPECT_EQ(effect_->SetRawValue(vector, yz, 12, 8), D3DERR_INVALIDCALL) << "past the parameter's end";
}

} // namespace
