// Parameter handles: each command returns what the effect method returns, 0 when the effect has no
// such parameter. Effect 0 gives 0 without a call.
#include "exports.h"
#include "script_values.h"

RYXO_COMMAND Shader_GetParameterByName(int effect, int parent, const char* name)
{
    ID3DXEffect* fx = ScriptEffect(effect);
    return fx ? ScriptInteger(fx->GetParameterByName(ScriptHandle(parent), name)) : 0;
}

RYXO_COMMAND Shader_GetParameterBySemantic(int effect, int parent, const char* semantic)
{
    ID3DXEffect* fx = ScriptEffect(effect);
    return fx ? ScriptInteger(fx->GetParameterBySemantic(ScriptHandle(parent), semantic)) : 0;
}

RYXO_COMMAND Shader_GetParameterElement(int effect, int parameter, int index)
{
    ID3DXEffect* fx = ScriptEffect(effect);
    return fx ? ScriptInteger(fx->GetParameterElement(ScriptHandle(parameter), static_cast<UINT>(index))) : 0;
}
