// The pass loop of a mesh's effect, the same for every family that draws a mesh itself.
#pragma once

#include <d3dx9.h>

// Begins `effect` and calls `drawPass` once inside each of its passes, then ends it. An effect that
// cannot begin draws nothing and is not ended; whatever pass count it wrote is not trusted. This
// runs for every drawn camera of every frame, so a failed Begin is skipped without a message.
template <typename DrawPass>
void DrawEffectPasses(ID3DXEffect* effect, DrawPass&& drawPass)
{
    UINT passes = 0;
    if (FAILED(effect->Begin(&passes, 0)))
        return;
    for (UINT pass = 0; pass < passes; ++pass) {
        effect->BeginPass(pass);
        drawPass();
        effect->EndPass();
    }
    effect->End();
}
