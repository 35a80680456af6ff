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

// The pointer-style shape: the value is read or written at a script's address. An address of 0 is
// not passed on, since the framework may read or write through it unchecked; the command returns
// as for a failed call.
template <typename T, typename Method, typename... Args>
int CallEffectAt(int effect, Method method, D3DXHANDLE parameter, int address, Args... args)
{
    if (address == 0) return 0;
    return CallEffect(effect, method, parameter, ScriptPointer<T>(address), args...);
}
