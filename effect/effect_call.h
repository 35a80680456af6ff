// The shape every parameter setter and pointer-style command shares: call one method of the effect
// a script names, drop its HRESULT, return 0. Effect 0 means no call at all.
#pragma once

#include "script_values.h"

template <typename Method, typename... Args>
int CallEffect(int effect, Method method, Args... args)
{
    if (ID3DXEffect* fx = ScriptEffect(effect))
        (fx->*method)(args...);
    return 0;
}
