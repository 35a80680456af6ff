#include "effect_states.h"

#include <cstring>
#include <initializer_list>

namespace refhost::effect {

namespace {

template <typename Entry>
const Entry* FindByName(std::initializer_list<Entry> table, const std::string& name)
{
    for (const Entry& e : table)
        if (_stricmp(e.name, name.c_str()) == 0) return &e;
    return nullptr;
}

struct NamedState {
    const char* name;
    DWORD state;
    StateValues values;
};

struct NamedValue {
    const char* name;
    DWORD value;
};

using V = StateValues;

} // namespace

std::optional<StateName> FindRenderState(const std::string& name)
{
    static const auto kStates = {
        NamedState{"ZEnable", D3DRS_ZENABLE, V::ZBuffer},
        NamedState{"ZWriteEnable", D3DRS_ZWRITEENABLE, V::Bool},
        NamedState{"ZFunc", D3DRS_ZFUNC, V::Compare},
        NamedState{"CullMode", D3DRS_CULLMODE, V::Cull},
        NamedState{"FillMode", D3DRS_FILLMODE, V::Fill},
        NamedState{"ShadeMode", D3DRS_SHADEMODE, V::Shade},
        NamedState{"AlphaBlendEnable", D3DRS_ALPHABLENDENABLE, V::Bool},
        NamedState{"SrcBlend", D3DRS_SRCBLEND, V::Blend},
        NamedState{"DestBlend", D3DRS_DESTBLEND, V::Blend},
        NamedState{"BlendOp", D3DRS_BLENDOP, V::BlendOp},
        NamedState{"SeparateAlphaBlendEnable", D3DRS_SEPARATEALPHABLENDENABLE, V::Bool},
        NamedState{"SrcBlendAlpha", D3DRS_SRCBLENDALPHA, V::Blend},
        NamedState{"DestBlendAlpha", D3DRS_DESTBLENDALPHA, V::Blend},
        NamedState{"BlendOpAlpha", D3DRS_BLENDOPALPHA, V::BlendOp},
        NamedState{"AlphaTestEnable", D3DRS_ALPHATESTENABLE, V::Bool},
        NamedState{"AlphaRef", D3DRS_ALPHAREF, V::Number},
        NamedState{"AlphaFunc", D3DRS_ALPHAFUNC, V::Compare},
        NamedState{"ColorWriteEnable", D3DRS_COLORWRITEENABLE, V::Number},
        NamedState{"ColorWriteEnable1", D3DRS_COLORWRITEENABLE1, V::Number},
        NamedState{"ColorWriteEnable2", D3DRS_COLORWRITEENABLE2, V::Number},
        NamedState{"ColorWriteEnable3", D3DRS_COLORWRITEENABLE3, V::Number},
        NamedState{"StencilEnable", D3DRS_STENCILENABLE, V::Bool},
        NamedState{"StencilFunc", D3DRS_STENCILFUNC, V::Compare},
        NamedState{"StencilRef", D3DRS_STENCILREF, V::Number},
        NamedState{"StencilMask", D3DRS_STENCILMASK, V::Number},
        NamedState{"StencilWriteMask", D3DRS_STENCILWRITEMASK, V::Number},
        NamedState{"StencilPass", D3DRS_STENCILPASS, V::StencilOp},
        NamedState{"StencilFail", D3DRS_STENCILFAIL, V::StencilOp},
        NamedState{"StencilZFail", D3DRS_STENCILZFAIL, V::StencilOp},
        NamedState{"Lighting", D3DRS_LIGHTING, V::Bool},
        NamedState{"FogEnable", D3DRS_FOGENABLE, V::Bool},
        NamedState{"SpecularEnable", D3DRS_SPECULARENABLE, V::Bool},
        NamedState{"DitherEnable", D3DRS_DITHERENABLE, V::Bool},
        NamedState{"ScissorTestEnable", D3DRS_SCISSORTESTENABLE, V::Bool},
        NamedState{"MultiSampleAntialias", D3DRS_MULTISAMPLEANTIALIAS, V::Bool},
        NamedState{"SrgbWriteEnable", D3DRS_SRGBWRITEENABLE, V::Bool},
        NamedState{"TextureFactor", D3DRS_TEXTUREFACTOR, V::Number},
    };
    const NamedState* s = FindByName(kStates, name);
    if (!s) return std::nullopt;
    return StateName{s->state, s->values};
}

std::optional<StateName> FindSamplerState(const std::string& name)
{
    static const auto kStates = {
        NamedState{"AddressU", D3DSAMP_ADDRESSU, V::Address},
        NamedState{"AddressV", D3DSAMP_ADDRESSV, V::Address},
        NamedState{"AddressW", D3DSAMP_ADDRESSW, V::Address},
        NamedState{"BorderColor", D3DSAMP_BORDERCOLOR, V::Number},
        NamedState{"MagFilter", D3DSAMP_MAGFILTER, V::Filter},
        NamedState{"MinFilter", D3DSAMP_MINFILTER, V::Filter},
        NamedState{"MipFilter", D3DSAMP_MIPFILTER, V::Filter},
        NamedState{"MaxMipLevel", D3DSAMP_MAXMIPLEVEL, V::Number},
        NamedState{"MaxAnisotropy", D3DSAMP_MAXANISOTROPY, V::Number},
        NamedState{"SRGBTexture", D3DSAMP_SRGBTEXTURE, V::Bool},
    };
    const NamedState* s = FindByName(kStates, name);
    if (!s) return std::nullopt;
    return StateName{s->state, s->values};
}

std::optional<DWORD> StateValue(StateValues values, const std::string& word)
{
    // Each table lives until the end of its return statement, which is as long as it is read.
    auto lookup = [&word](std::initializer_list<NamedValue> names) -> std::optional<DWORD> {
        if (const NamedValue* v = FindByName(names, word)) return v->value;
        return std::nullopt;
    };
    switch (values) {
    case V::Number: return std::nullopt;
    case V::Bool: return lookup({{"TRUE", TRUE}, {"FALSE", FALSE}});
    case V::ZBuffer: return lookup({{"TRUE", D3DZB_TRUE}, {"FALSE", D3DZB_FALSE}, {"USEW", D3DZB_USEW}});
    case V::Compare:
        return lookup({{"NEVER", D3DCMP_NEVER}, {"LESS", D3DCMP_LESS}, {"EQUAL", D3DCMP_EQUAL},
                 {"LESSEQUAL", D3DCMP_LESSEQUAL}, {"GREATER", D3DCMP_GREATER}, {"NOTEQUAL", D3DCMP_NOTEQUAL},
                 {"GREATEREQUAL", D3DCMP_GREATEREQUAL}, {"ALWAYS", D3DCMP_ALWAYS}});
    case V::Cull: return lookup({{"NONE", D3DCULL_NONE}, {"CW", D3DCULL_CW}, {"CCW", D3DCULL_CCW}});
    case V::Blend:
        return lookup({{"ZERO", D3DBLEND_ZERO}, {"ONE", D3DBLEND_ONE}, {"SRCCOLOR", D3DBLEND_SRCCOLOR},
                 {"INVSRCCOLOR", D3DBLEND_INVSRCCOLOR}, {"SRCALPHA", D3DBLEND_SRCALPHA},
                 {"INVSRCALPHA", D3DBLEND_INVSRCALPHA}, {"DESTALPHA", D3DBLEND_DESTALPHA},
                 {"INVDESTALPHA", D3DBLEND_INVDESTALPHA}, {"DESTCOLOR", D3DBLEND_DESTCOLOR},
                 {"INVDESTCOLOR", D3DBLEND_INVDESTCOLOR}, {"SRCALPHASAT", D3DBLEND_SRCALPHASAT},
                 {"BOTHSRCALPHA", D3DBLEND_BOTHSRCALPHA}, {"BOTHINVSRCALPHA", D3DBLEND_BOTHINVSRCALPHA},
                 {"BLENDFACTOR", D3DBLEND_BLENDFACTOR}, {"INVBLENDFACTOR", D3DBLEND_INVBLENDFACTOR}});
    case V::BlendOp:
        return lookup({{"ADD", D3DBLENDOP_ADD}, {"SUBTRACT", D3DBLENDOP_SUBTRACT}, {"REVSUBTRACT", D3DBLENDOP_REVSUBTRACT},
                 {"MIN", D3DBLENDOP_MIN}, {"MAX", D3DBLENDOP_MAX}});
    case V::Fill: return lookup({{"POINT", D3DFILL_POINT}, {"WIREFRAME", D3DFILL_WIREFRAME}, {"SOLID", D3DFILL_SOLID}});
    case V::Shade: return lookup({{"FLAT", D3DSHADE_FLAT}, {"GOURAUD", D3DSHADE_GOURAUD}, {"PHONG", D3DSHADE_PHONG}});
    case V::StencilOp:
        return lookup({{"KEEP", D3DSTENCILOP_KEEP}, {"ZERO", D3DSTENCILOP_ZERO}, {"REPLACE", D3DSTENCILOP_REPLACE},
                 {"INCRSAT", D3DSTENCILOP_INCRSAT}, {"DECRSAT", D3DSTENCILOP_DECRSAT},
                 {"INVERT", D3DSTENCILOP_INVERT}, {"INCR", D3DSTENCILOP_INCR}, {"DECR", D3DSTENCILOP_DECR}});
    case V::Filter:
        return lookup({{"NONE", D3DTEXF_NONE}, {"POINT", D3DTEXF_POINT}, {"LINEAR", D3DTEXF_LINEAR},
                 {"ANISOTROPIC", D3DTEXF_ANISOTROPIC}});
    case V::Address:
        return lookup({{"WRAP", D3DTADDRESS_WRAP}, {"MIRROR", D3DTADDRESS_MIRROR}, {"CLAMP", D3DTADDRESS_CLAMP},
                 {"BORDER", D3DTADDRESS_BORDER}, {"MIRRORONCE", D3DTADDRESS_MIRRORONCE}});
    }
    return std::nullopt;
}

} // namespace refhost::effect
