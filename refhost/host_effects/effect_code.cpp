#include "effect_code.h"

#include <d3dx9.h>

#include "com.h"
#include "shader_compiler.h"

namespace refhost {

namespace {

bool IsParameter(const EffectDescription& description, const char* name)
{
    for (const EffectParameter& p : description.parameters)
        if (p.name == name)
            return true;
    return false;
}

// The framework binds a shader's sampler constant to the parameter of its name, and refuses the
// whole effect when that parameter is no sampler: the name of a sampler constant that names a
// parameter, or empty.
std::string SampledParameter(const EffectDescription& description, const std::vector<DWORD>& code)
{
    Com<ID3DXConstantTable> table;
    D3DXCONSTANTTABLE_DESC desc{};
    if (FAILED(D3DXGetShaderConstantTable(code.data(), table.put())) || !table || FAILED(table->GetDesc(&desc)))
        return {};
    for (UINT i = 0; i < desc.Constants; ++i) {
        D3DXCONSTANT_DESC c{};
        UINT count = 1;
        if (FAILED(table->GetConstantDesc(table->GetConstant(nullptr, i), &c, &count)))
            continue;
        if (c.RegisterSet == D3DXRS_SAMPLER && c.Name && IsParameter(description, c.Name))
            return c.Name;
    }
    return {};
}

bool CompileStage(const EffectDescription& description, const std::string& source, const std::string& entry,
                  const std::string& profile, const std::string& where, std::vector<DWORD>* code, std::string* error)
{
    std::string reason;
    if (!effect::CompileShader(source, entry, profile, description.sourceName, code, &reason)) {
        *error = where + ": " + reason;
        return false;
    }
    const std::string sampled = SampledParameter(description, *code);
    if (sampled.empty())
        return true;
    *error = where + ": the shader samples '" + sampled +
             "', a parameter that is no sampler (declare a sampler whose sampler_state names the texture)";
    return false;
}

} // namespace

bool CompileEffectCode(const EffectDescription& description, EffectCode* code, std::string* error)
{
    std::string reason;
    code->clear();
    for (const EffectTechnique& technique : description.techniques) {
        std::vector<PassCode>& passes = code->emplace_back();
        for (const EffectPass& pass : technique.passes) {
            const std::string where = "technique '" + technique.name + "' pass '" + pass.name + "'";
            PassCode& compiled = passes.emplace_back();
            if (!CompileStage(description, pass.vertexShader, pass.vertexEntry, pass.vertexProfile, where,
                              &compiled.vertexShader, &reason) ||
                !CompileStage(description, pass.pixelShader, pass.pixelEntry, pass.pixelProfile, where,
                              &compiled.pixelShader, &reason)) {
                if (error)
                    *error = reason;
                return false;
            }
        }
    }
    return true;
}

} // namespace refhost
