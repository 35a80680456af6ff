// camera_object.fx: the object an effect camera draws (EfxCam_SetObject): its texture, tinted by
// Color, seen from the camera; a second technique also writes the camera's extra images.
//
// For every draw of the object, Ryxo's effect camera fills World (the object's), View and
// Projection (the camera's), and hands the texture of the object's texture stage 0 to the first
// parameter declared `texture` (DiffuseTexture here).
//
// The pixel shaders are written in shader assembly (ps_3_0), each line with a comment saying what
// it computes; the pass binds their registers to the parameters and the sampler.

float4x4 World : WORLD;
float4x4 View : VIEW;
float4x4 Projection : PROJECTION;

float4 Color = {1.0, 1.0, 1.0, 1.0};  // multiplies the texture (white shows it as it is)
float4 IdColor = {1.0, 0.0, 1.0, 1.0}; // what the second technique writes to extra image 1

texture DiffuseTexture;
sampler2D DiffuseSampler = sampler_state
{
    Texture = <DiffuseTexture>;
    MinFilter = LINEAR;
    MagFilter = LINEAR;
    MipFilter = NONE;
    AddressU = WRAP;
    AddressV = WRAP;
};

struct VertexOutput {
    float4 position : POSITION;
    float2 uv : TEXCOORD0;
};

VertexOutput ObjectVS(float4 position : POSITION, float2 uv : TEXCOORD0)
{
    VertexOutput output;
    output.position = mul(mul(mul(position, World), View), Projection);
    output.uv = uv;
    return output;
}

// The camera's main image: the texture times Color.
technique Textured
{
    pass P0
    {
        VertexShader = compile vs_3_0 ObjectVS();
        PixelShader = asm {
            ps_3_0
            dcl_texcoord0 v0.xy   // the texture coordinate from ObjectVS
            dcl_2d s0             // sampler 0: DiffuseSampler (bound below)
            texld r0, v0, s0      // r0 = the texel
            mul oC0, r0, c0       // main image: texel x Color (c0)
        };
        PixelShaderConstantF[0] = <Color>;
        Sampler[0] = <DiffuseSampler>;
        ZEnable = TRUE;
        ZWriteEnable = TRUE;
    }
}

// The main image as above; extra image 1 (EfxCam_SetMRTImage index 1) gets IdColor wherever the
// object is, extra image 2 (index 2) the texture in grey.
technique TexturedWithExtraTargets
{
    pass P0
    {
        VertexShader = compile vs_3_0 ObjectVS();
        PixelShader = asm {
            ps_3_0
            def c2, 0.299, 0.587, 0.114, 0.0   // how much red, green and blue make a grey
            dcl_texcoord0 v0.xy
            dcl_2d s0
            texld r0, v0, s0      // r0 = the texel
            mul oC0, r0, c0       // main image: texel x Color
            mov oC1, c1           // extra image 1: IdColor
            dp3 r1, r0, c2        // r1 = the texel's grey, in every component
            mov oC2, r1           // extra image 2: the grey
        };
        PixelShaderConstantF[0] = <Color>;
        PixelShaderConstantF[1] = <IdColor>;
        Sampler[0] = <DiffuseSampler>;
        ZEnable = TRUE;
        ZWriteEnable = TRUE;
    }
}
