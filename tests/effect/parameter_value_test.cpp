// Value-style parameter commands: values travel as command arguments and results, vectors and
// matrices come back float by float through Shader_Return.
#include <cstring>
#include <vector>

#include "effect_fixture.h"
#include "misaligned_call.h"

namespace {

class ParameterValueTest : public EffectCommandTest {
protected:
    float Returned(int index) { return CALL_F(Shader_Return, index); }
};

TEST_F(ParameterValueTest, BoolsTravelAsZeroAndOne)
{
    EXPECT_EQ(CALL(Shader_SetBoolVal, effect_, Parameter("BoolValue"), 1), 0);
    BOOL flag = FALSE;
    fx_->GetBool("BoolValue", &flag);
    EXPECT_EQ(flag, TRUE);
    EXPECT_EQ(CALL(Shader_GetBoolVal, effect_, Parameter("BoolValue")), 1);

    CALL(Shader_SetBoolVal, effect_, Parameter("BoolValue"), 0);
    fx_->GetBool("BoolValue", &flag);
    EXPECT_EQ(flag, FALSE);
    EXPECT_EQ(CALL(Shader_GetBoolVal, effect_, Parameter("BoolValue")), 0);
}

TEST_F(ParameterValueTest, IntsAndFloatsRoundTrip)
{
    EXPECT_EQ(CALL(Shader_GetIntVal, effect_, Parameter("IntValue")), 3);
    CALL(Shader_SetIntVal, effect_, Parameter("IntValue"), -90210);
    INT count = 0;
    fx_->GetInt("IntValue", &count);
    EXPECT_EQ(count, -90210);
    EXPECT_EQ(CALL(Shader_GetIntVal, effect_, Parameter("IntValue")), -90210);

    EXPECT_EQ(CALL_F(Shader_GetFloatVal, effect_, Parameter("FloatValue")), 0.5f);
    EXPECT_EQ(CALL(Shader_SetFloatVal, effect_, Parameter("FloatValue"), 0.25f), 0);
    float scale = 0.0f;
    fx_->GetFloat("FloatValue", &scale);
    EXPECT_EQ(scale, 0.25f);
    EXPECT_EQ(CALL_F(Shader_GetFloatVal, effect_, Parameter("FloatValue")), 0.25f);
}

TEST_F(ParameterValueTest, ScalarGettersShareOneScratchThatAFailedGetterLeavesAsItWas)
{
    // The effect writes nothing for a parameter it lacks, so the getter returns what the scratch
    // held: the bool getter its first byte, sign and all.
    CALL(Shader_SetIntVal, effect_, Parameter("IntValue"), -1);
    EXPECT_EQ(CALL(Shader_GetIntVal, effect_, Parameter("IntValue")), -1);
    EXPECT_EQ(CALL(Shader_GetBoolVal, effect_, Parameter("Missing")), -1);

    CALL(Shader_SetIntVal, effect_, Parameter("IntValue"), 0x1234567F);
    CALL(Shader_GetIntVal, effect_, Parameter("IntValue"));
    EXPECT_EQ(CALL(Shader_GetBoolVal, effect_, Parameter("Missing")), 0x7F);
    EXPECT_EQ(CALL(Shader_GetFloatVal, effect_, Parameter("Missing")), 0x1234567F);
}

TEST_F(ParameterValueTest, SettersWithAHandleOfZeroChangeNothing)
{
    // What a misspelt parameter name gives a script: handle 0, with which no setter of either style
    // may change any of the effect's values.
    ASSERT_EQ(Parameter("Colour"), 0);
    auto values = [&] {
        std::vector<std::vector<BYTE>> all;
        for (const char* name : {"BoolValue", "IntValue", "FloatValue", "VectorValue", "MatrixValue", "BoolArray",
                                 "IntArray", "FloatArray", "VectorArray", "MatrixArray", "Lights"}) {
            D3DXPARAMETER_DESC desc{};
            EXPECT_EQ(fx_->GetParameterDesc(name, &desc), D3D_OK) << name;
            EXPECT_GT(desc.Bytes, 0u) << name;
            std::vector<BYTE> bytes(desc.Bytes);
            fx_->GetValue(name, bytes.data(), desc.Bytes);
            all.push_back(bytes);
        }
        return all;
    };
    const auto before = values();

    std::vector<float> nines(64, 9.0f);
    const int memory = Address(nines.data());
    CALL(Shader_SetBoolVal, effect_, 0, 0);
    CALL(Shader_SetIntVal, effect_, 0, 99);
    CALL(Shader_SetFloatVal, effect_, 0, 9.0f);
    CALL(Shader_SetVectorVal, effect_, 0, 9.0f, 9.0f, 9.0f, 9.0f);
    CALL(Shader_SetMatrixVal, effect_, 0, 9.0f, 9.0f, 9.0f, 9.0f, 9.0f, 9.0f, 9.0f, 9.0f, 9.0f, 9.0f, 9.0f, 9.0f,
         9.0f, 9.0f, 9.0f, 9.0f);
    CALL(Shader_SetBool, effect_, 0, 0);
    CALL(Shader_SetInt, effect_, 0, 99);
    CALL(Shader_SetFloat, effect_, 0, 9);
    CALL(Shader_SetVector, effect_, 0, memory);
    CALL(Shader_SetMatrix, effect_, 0, memory);
    CALL(Shader_SetMatrixTranspose, effect_, 0, memory);
    CALL(Shader_SetValue, effect_, 0, memory, 16);
    CALL(Shader_SetFloatArray, effect_, 0, memory, 2);
    CALL(Shader_SetVectorArray, effect_, 0, memory, 2);
    CALL(Shader_SetMatrixArray, effect_, 0, memory, 2);

    EXPECT_EQ(values(), before);
}

TEST_F(ParameterValueTest, FloatResultsArriveAsBitPatterns)
{
    CALL(Shader_SetFloatVal, effect_, Parameter("FloatValue"), 1.0f);
    EXPECT_EQ(CALL(Shader_GetFloatVal, effect_, Parameter("FloatValue")), 1065353216);

    CALL(Shader_SetVectorVal, effect_, Parameter("VectorValue"), 1.0f, -2.0f, 0.0f, 0.0f);
    CALL(Shader_GetVectorVal, effect_, Parameter("VectorValue"));
    EXPECT_EQ(CALL(Shader_Return, 0), 1065353216);
    EXPECT_EQ(static_cast<uint32_t>(CALL(Shader_Return, 1)), 0xC0000000u) << "-2.0";
}

TEST_F(ParameterValueTest, ReturnIsZeroBeforeAnyGetterAndOutsideItsSixteenFloats)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(CALL(Shader_Return, i), 0) << "float " << i;

    D3DXMATRIX m = CountingMatrix(1);
    fx_->SetMatrix("MatrixValue", &m);
    CALL(Shader_GetMatrixVal, effect_, Parameter("MatrixValue"));
    EXPECT_EQ(Returned(15), 16.0f);
    EXPECT_EQ(CALL(Shader_Return, -1), 0);
    EXPECT_EQ(CALL(Shader_Return, 16), 0);
    EXPECT_EQ(CALL(Shader_Return, 0x7fffffff), 0);
}

TEST_F(ParameterValueTest, MatrixGettersFillAllSixteenRowsFirstAndVectorGettersOnlyFour)
{
    D3DXMATRIX m = CountingMatrix(1);
    fx_->SetMatrix("MatrixValue", &m);
    CALL(Shader_GetMatrixVal, effect_, Parameter("MatrixValue"));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(Returned(i), float(i + 1)) << "float " << i << " must be _" << i / 4 + 1 << i % 4 + 1;

    CALL(Shader_SetVectorVal, effect_, Parameter("VectorValue"), -1.0f, -2.0f, -3.0f, -4.0f);
    CALL(Shader_GetVectorVal, effect_, Parameter("VectorValue"));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Returned(i), -float(i + 1)) << "float " << i;
    for (int i = 4; i < 16; ++i)
        EXPECT_EQ(Returned(i), float(i + 1)) << "float " << i << " must keep the matrix's value";

    CALL(Shader_GetMatrixTransposeVal, effect_, Parameter("MatrixValue"));
    D3DXMATRIX expected = Transposed(CountingMatrix(1));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(Returned(i), expected.m[i / 4][i % 4]) << "float " << i;
}

TEST_F(ParameterValueTest, VectorAndMatrixSettersTakeTheirFloatsInArgumentOrder)
{
    CALL(Shader_SetVectorVal, effect_, Parameter("VectorValue"), 0.5f, -1.0f, 2.0f, 1024.0f);
    D3DXVECTOR4 tint;
    fx_->GetVector("VectorValue", &tint);
    EXPECT_TRUE(SameVector(D3DXVECTOR4(0.5f, -1.0f, 2.0f, 1024.0f), tint));

    CALL(Shader_SetMatrixVal, effect_, Parameter("MatrixValue"), 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f, 9.0f,
         10.0f, 11.0f, 12.0f, 13.0f, 14.0f, 15.0f, 16.0f);
    D3DXMATRIX stored;
    fx_->GetMatrix("MatrixValue", &stored);
    EXPECT_TRUE(SameMatrix(CountingMatrix(1), stored));

    CALL(Shader_SetMatrixTransposeVal, effect_, Parameter("MatrixValue"), 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f,
         9.0f, 10.0f, 11.0f, 12.0f, 13.0f, 14.0f, 15.0f, 16.0f);
    fx_->GetMatrix("MatrixValue", &stored);
    EXPECT_TRUE(SameMatrix(Transposed(CountingMatrix(1)), stored));
}

TEST_F(ParameterValueTest, MatrixCommandsWorkOnAStackAlignedToFourBytes)
{
    uint32_t args[18] = {static_cast<uint32_t>(effect_), static_cast<uint32_t>(Parameter("MatrixValue"))};
    for (int i = 0; i < 16; ++i)
        args[2 + i] = std::bit_cast<uint32_t>(float(30 + i));
    CallWithMisalignedStack(reinterpret_cast<const void*>(Export("Shader_SetMatrixVal")), args, 18);
    D3DXMATRIX stored;
    fx_->GetMatrix("MatrixValue", &stored);
    EXPECT_TRUE(SameMatrix(CountingMatrix(30), stored));

    CallWithMisalignedStack(reinterpret_cast<const void*>(Export("Shader_GetMatrixVal")), args, 2);
    uint32_t index = 9;
    EXPECT_EQ(AsFloat(
                  CallWithMisalignedStack(reinterpret_cast<const void*>(Export("Shader_Return")), &index, 1)),
              39.0f);
}

} // namespace
