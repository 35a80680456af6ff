// Host images made as render targets, in a given format or in the format of the host's reference
// surface.
#include <cstdio>

#include "exports.h"
#include "host_access.h"
#include "message_box.h"
#include "plugin_state.h"

RYXO_COMMAND MRT_MakeRenderTargetFormat(int image, int width, int height, int format)
{
    if (width <= 0 || height <= 0) {
        char text[160];
        std::snprintf(text, sizeof(text), "Cannot make image %d a render target of %d x %d: width and height must be above 0",
                      image, width, height);
        ShowMessage("MRT_MakeRenderTarget Error", text);
        return 0;
    }
    auto makeRenderTarget = Host().MakeRenderTarget;
    if (!makeRenderTarget)
        return 0;
    const D3DFORMAT chosen = FormatOrReferenceSurfaceFormat(format);
    makeRenderTarget(image, width, height, chosen);
    return 0;
}

RYXO_COMMAND MRT_MakeRenderTarget(int image, int width, int height)
{
    return MRT_MakeRenderTargetFormat(image, width, height, 0);
}
