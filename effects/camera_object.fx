// camera_object.fx: the object an effect camera draws (EfxCam_SetObject): its texture, tinted by
// Color, seen from the camera; a second technique also writes the camera's extra images.
//
// For every draw of the object, Ryxo's effect camera fills World (the object's), View and
// Projection (the camera's), and hands the texture of the object's texture stage 0 to the first
// parameter declared `texture` (DiffuseTexture here). The script may set Color and IdColor.

float4x4 World : WORLD;
float4x4 View : VIEW;
float4x4 Projection : PROJECTION;

float4 Color = {1.0, 1.0, 1.0, 1.0};   // multiplies the texture (white shows it as it is)
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
float4 TexturedPS(float2 uv : TEXCOORD0) : COLOR0
{
    return tex2D(DiffuseSampler, uv) * Color;
}

struct ExtraTargetsOutput {
    float4 image : COLOR0; // the camera's image
    float4 id : COLOR1;    // extra image 1 (EfxCam_SetMRTImage index 1)
    float4 grey : COLOR2;  // extra image 2 (index 2)
};

// The main image as above; extra image 1 gets IdColor wherever the object is, extra image 2 the
// texture in grey.
ExtraTargetsOutput ExtraTargetsPS(float2 uv : TEXCOORD0)
{
    ExtraTargetsOutput output;
    float4 texel = tex2D(DiffuseSampler, uv);
    output.image = texel * Color;
    output.id = IdColor;
    float grey = dot(texel.rgb, float3(0.299, 0.587, 0.114)); // how much red, green and blue make a grey
    output.grey = float4(grey, grey, grey, texel.a);
    return output;
}

// An effect camera draws without a depth buffer, so the cube hides its own far side by culling
// its back faces (counter-clockwise ones, as Direct3D winds them).
technique Textured
{
    pass P0
    {
        VertexShader = compile vs_3_0 ObjectVS();
        PixelShader = compile ps_3_0 TexturedPS();
        CullMode = CCW;
    }
}

technique TexturedWithExtraTargets
{
    pass P0
    {
        VertexShader = compile vs_3_0 ObjectVS();
        PixelShader = compile ps_3_0 ExtraTargetsPS();
        CullMode = CCW;
    }
}
