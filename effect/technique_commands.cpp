// Choosing the technique an effect renders with. Effect 0 does nothing and gives 0.
#include "exports.h"
#include "script_values.h"

RYXO_COMMAND Shader_GetTechniqueByName(int effect, const char* name)
{
    ID3DXEffect* fx = ScriptEffect(effect);
    return fx ? ScriptInteger(fx->GetTechniqueByName(name)) : 0;
}

RYXO_COMMAND Shader_GetCurrentTechnique(int effect)
{
    ID3DXEffect* fx = ScriptEffect(effect);
    return fx ? ScriptInteger(fx->GetCurrentTechnique()) : 0;
}

RYXO_COMMAND Shader_SetTechnique(int effect, int technique)
{
    if (ID3DXEffect* fx = ScriptEffect(effect))
        fx->SetTechnique(ScriptHandle(technique));
    return 0;
}

// A name the effect lacks leaves the current technique as it was.
RYXO_COMMAND Shader_SetTechniqueName(int effect, const char* name)
{
    ID3DXEffect* fx = ScriptEffect(effect);
    if (!fx)
        return 0;
    if (D3DXHANDLE technique = fx->GetTechniqueByName(name))
        fx->SetTechnique(technique);
    return 0;
}
