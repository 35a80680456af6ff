#include "effect_programs.h"

#include <algorithm>
#include <cstring>

#include "shader_compiler.h"

namespace refhost::effect {

namespace {

bool BindConstants(const std::vector<DWORD>& code, bool vertexStage, const ParameterStore& parameters,
                   const std::vector<EffectSamplerBinding>& samplers, PassProgram* program, std::string* error)
{
    Com<ID3DXConstantTable> table;
    if (FAILED(D3DXGetShaderConstantTable(code.data(), table.put())) || !table) {
        if (error) *error = "shader has no constant table";
        return false;
    }
    D3DXCONSTANTTABLE_DESC tableDesc{};
    table->GetDesc(&tableDesc);
    for (UINT i = 0; i < tableDesc.Constants; ++i) {
        D3DXCONSTANT_DESC desc{};
        UINT count = 1;
        if (FAILED(table->GetConstantDesc(table->GetConstant(nullptr, i), &desc, &count)) || !desc.Name) continue;
        const ParameterNode* parameter = nullptr;
        ConstantBinding binding{};
        if (desc.RegisterSet == D3DXRS_SAMPLER) {
            std::string textureName = desc.Name;
            for (const EffectSamplerBinding& s : samplers) {
                if (s.sampler != desc.Name) continue;
                textureName = s.texture;
                binding.samplerStates = s.states;
            }
            parameter = parameters.ByName(nullptr, textureName.c_str());
            if (parameter && !parameter->IsTexture()) parameter = nullptr;
        } else {
            parameter = parameters.ByName(nullptr, desc.Name);
            if (parameter && !parameter->IsNumeric()) parameter = nullptr;
        }
        if (!parameter) continue; // a constant no parameter feeds keeps whatever the device holds
        binding.parameter = parameters.IndexOf(parameter);
        binding.vertexStage = vertexStage;
        binding.constant = desc;
        binding.constant.Name = nullptr;
        program->bindings.push_back(std::move(binding));
    }
    return true;
}

// Bindings an assembly shader's pass declares, described as the constant table of an HLSL
// shader would describe them.
bool BindRegisters(const std::vector<EffectRegister>& registers, bool vertexStage, const ParameterStore& parameters,
                   const std::vector<EffectSamplerBinding>& samplers, PassProgram* program, std::string* error)
{
    for (const EffectRegister& r : registers) {
        const ParameterNode* parameter = parameters.ByName(nullptr, r.parameter.c_str());
        bool sampler = r.set == D3DXRS_SAMPLER;
        if (!parameter || parameter->isElement || sampler != parameter->IsTexture() ||
            (!sampler && !parameter->IsNumeric())) {
            if (error) *error = "register " + std::to_string(r.index) + " names no fitting parameter '" + r.parameter + "'";
            return false;
        }
        ConstantBinding binding{};
        binding.parameter = parameters.IndexOf(parameter);
        binding.vertexStage = vertexStage;
        D3DXCONSTANT_DESC& c = binding.constant;
        c.RegisterSet = r.set;
        c.RegisterIndex = r.index;
        c.Class = parameter->cls == D3DXPC_MATRIX_ROWS ? D3DXPC_MATRIX_COLUMNS : parameter->cls;
        c.Type = parameter->type;
        c.Rows = parameter->rows;
        c.Columns = parameter->columns;
        c.Elements = std::max(1u, parameter->elements);
        UINT perElement = r.set == D3DXRS_BOOL ? parameter->rows * parameter->columns
                          : c.Class == D3DXPC_MATRIX_COLUMNS ? parameter->columns : 1;
        c.RegisterCount = sampler ? 1 : perElement * c.Elements;
        for (const EffectSamplerBinding& s : samplers)
            if (sampler && s.texture == r.parameter) binding.samplerStates = s.states;
        program->bindings.push_back(std::move(binding));
    }
    return true;
}

float FloatAt(const ParameterNode& node, const DWORD* element, UINT index)
{
    return index < node.elementSlots ? SlotAsFloat(element[index], node.type) : 0.0f;
}

// The float4 registers of a constant, in register order: matrices by columns or rows as the
// constant is packed, scalars and vectors one register per element.
void FloatRegisters(const ParameterNode& node, const DWORD* slots, const D3DXCONSTANT_DESC& c,
                    std::vector<float>& registers)
{
    registers.clear();
    UINT elements = std::min(std::max(1u, c.Elements), std::max(1u, node.elements));
    UINT stride = node.cls == D3DXPC_MATRIX_ROWS ? node.columns : 4;
    for (UINT e = 0; e < elements; ++e) {
        const DWORD* v = slots + e * node.elementSlots;
        if (c.Class == D3DXPC_MATRIX_COLUMNS) {
            for (UINT col = 0; col < c.Columns; ++col)
                for (UINT row = 0; row < 4; ++row)
                    registers.push_back(row < c.Rows ? FloatAt(node, v, row * stride + col) : 0.0f);
        } else if (c.Class == D3DXPC_MATRIX_ROWS) {
            for (UINT row = 0; row < c.Rows; ++row)
                for (UINT col = 0; col < 4; ++col)
                    registers.push_back(col < c.Columns ? FloatAt(node, v, row * stride + col) : 0.0f);
        } else {
            for (UINT k = 0; k < 4; ++k) registers.push_back(k < c.Columns ? FloatAt(node, v, k) : 0.0f);
        }
    }
}

void IntRegisters(const ParameterNode& node, const DWORD* slots, const D3DXCONSTANT_DESC& c,
                  std::vector<INT>& registers)
{
    registers.clear();
    UINT elements = std::min(std::max(1u, c.Elements), std::max(1u, node.elements));
    for (UINT e = 0; e < elements; ++e)
        for (UINT k = 0; k < 4; ++k)
            registers.push_back(k < c.Columns && k < node.elementSlots
                                    ? SlotAsInt(slots[e * node.elementSlots + k], node.type) : 0);
}

void BoolRegisters(const ParameterNode& node, const DWORD* slots, const D3DXCONSTANT_DESC& c,
                   std::vector<BOOL>& registers)
{
    registers.clear();
    UINT elements = std::min(std::max(1u, c.Elements), std::max(1u, node.elements));
    for (UINT e = 0; e < elements; ++e)
        for (UINT k = 0; k < c.Rows * c.Columns; ++k)
            registers.push_back(k < node.elementSlots ? SlotAsBool(slots[e * node.elementSlots + k], node.type)
                                                      : FALSE);
}

void SetFloats(const StateTarget& t, bool vs, UINT start, const float* data, UINT count)
{
    if (t.manager)
        vs ? t.manager->SetVertexShaderConstantF(start, data, count) : t.manager->SetPixelShaderConstantF(start, data, count);
    else
        vs ? t.device->SetVertexShaderConstantF(start, data, count) : t.device->SetPixelShaderConstantF(start, data, count);
}

void SetInts(const StateTarget& t, bool vs, UINT start, const INT* data, UINT count)
{
    if (t.manager)
        vs ? t.manager->SetVertexShaderConstantI(start, data, count) : t.manager->SetPixelShaderConstantI(start, data, count);
    else
        vs ? t.device->SetVertexShaderConstantI(start, data, count) : t.device->SetPixelShaderConstantI(start, data, count);
}

void SetBools(const StateTarget& t, bool vs, UINT start, const BOOL* data, UINT count)
{
    if (t.manager)
        vs ? t.manager->SetVertexShaderConstantB(start, data, count) : t.manager->SetPixelShaderConstantB(start, data, count);
    else
        vs ? t.device->SetVertexShaderConstantB(start, data, count) : t.device->SetPixelShaderConstantB(start, data, count);
}

} // namespace

bool BuildPass(IDirect3DDevice9* device, const EffectPass& pass, const std::string& sourceName,
               const ParameterStore& parameters, const std::vector<EffectSamplerBinding>& samplers,
               PassProgram* program, std::string* error)
{
    program->name = pass.name;
    program->renderStates = pass.renderStates;
    std::string reason;
    if (!CompileShader(pass.vertexShader, pass.vertexEntry, pass.vertexProfile, sourceName, &program->vertexCode, &reason) ||
        !CompileShader(pass.pixelShader, pass.pixelEntry, pass.pixelProfile, sourceName, &program->pixelCode, &reason)) {
        if (error) *error = "pass '" + pass.name + "': " + reason;
        return false;
    }
    if (FAILED(device->CreateVertexShader(program->vertexCode.data(), program->vertexShader.put())) ||
        FAILED(device->CreatePixelShader(program->pixelCode.data(), program->pixelShader.put()))) {
        if (error) *error = "pass '" + pass.name + "': the device refuses its shaders";
        return false;
    }
    bool vertexBound = IsAssemblyShader(pass.vertexShader, pass.vertexProfile)
                           ? BindRegisters(pass.vertexRegisters, true, parameters, samplers, program, &reason)
                           : BindConstants(program->vertexCode, true, parameters, samplers, program, &reason);
    bool pixelBound = vertexBound && (IsAssemblyShader(pass.pixelShader, pass.pixelProfile)
                                          ? BindRegisters(pass.pixelRegisters, false, parameters, samplers, program, &reason)
                                          : BindConstants(program->pixelCode, false, parameters, samplers, program, &reason));
    if (!pixelBound) {
        if (error) *error = "pass '" + pass.name + "': " + reason;
        return false;
    }
    return true;
}

void ApplyPassStates(const StateTarget& t, const PassProgram& pass, bool withShaders, bool withRenderStates)
{
    if (withShaders) {
        if (t.manager) {
            t.manager->SetVertexShader(pass.vertexShader.ptr());
            t.manager->SetPixelShader(pass.pixelShader.ptr());
        } else {
            t.device->SetVertexShader(pass.vertexShader.ptr());
            t.device->SetPixelShader(pass.pixelShader.ptr());
        }
    }
    if (withRenderStates)
        for (const EffectRenderState& rs : pass.renderStates)
            t.manager ? t.manager->SetRenderState(rs.state, rs.value) : t.device->SetRenderState(rs.state, rs.value);
}

void UploadParameters(const StateTarget& t, const PassProgram& pass, const ParameterStore& parameters,
                      bool withConstants, bool withSamplers)
{
    for (const ConstantBinding& b : pass.bindings) {
        const ParameterNode& node = parameters.Node(b.parameter);
        const DWORD* slots = parameters.Slots(node);
        const D3DXCONSTANT_DESC& c = b.constant;
        if (!withConstants && c.RegisterSet != D3DXRS_SAMPLER) continue;
        switch (c.RegisterSet) {
        case D3DXRS_FLOAT4: {
            static std::vector<float> r; // reused: BeginPass and CommitChanges run for every draw
            FloatRegisters(node, slots, c, r);
            SetFloats(t, b.vertexStage, c.RegisterIndex, r.data(), std::min<UINT>(r.size() / 4, c.RegisterCount));
            break;
        }
        case D3DXRS_INT4: {
            static std::vector<INT> r;
            IntRegisters(node, slots, c, r);
            SetInts(t, b.vertexStage, c.RegisterIndex, r.data(), std::min<UINT>(r.size() / 4, c.RegisterCount));
            break;
        }
        case D3DXRS_BOOL: {
            static std::vector<BOOL> r;
            BoolRegisters(node, slots, c, r);
            SetBools(t, b.vertexStage, c.RegisterIndex, r.data(), std::min<UINT>(r.size(), c.RegisterCount));
            break;
        }
        case D3DXRS_SAMPLER: {
            if (!withSamplers) break;
            DWORD sampler = c.RegisterIndex + (b.vertexStage ? D3DVERTEXTEXTURESAMPLER0 : 0);
            IDirect3DBaseTexture9* texture = parameters.Texture(node, 0);
            if (t.manager) t.manager->SetTexture(sampler, texture);
            else t.device->SetTexture(sampler, texture);
            for (const auto& [state, value] : b.samplerStates) {
                if (t.manager) t.manager->SetSamplerState(sampler, state, value);
                else t.device->SetSamplerState(sampler, state, value);
            }
            break;
        }
        default: break;
        }
    }
}

} // namespace refhost::effect
