// mirror_ball.fx: a mirror ball: the object shows what a Ryxo cube texture sees around it
// (CubeTex_Sync renders the cube, CubeTex_ApplyObject puts it on the object's texture stage 0).
//
// For every draw of the object the host fills World, WorldInverseTranspose, View and Projection
// and the eye position (CameraPosition), and hands the texture of the object's texture stage 0,
// the cube texture, to the first parameter declared `texture` (EnvironmentMap here). The script
// sets nothing.
//
// The reflection is worked out for every pixel, from the normal and the direction from the eye,
// both normalised there: the ball may be scaled, even unevenly, and stays a clean mirror.

float4x4 World : WORLD;
float4x4 WorldInverseTranspose : WORLDINVERSETRANSPOSE; // carries normals into world space
float4x4 View : VIEW;
float4x4 Projection : PROJECTION;
float4 CameraPosition : CAMERAPOSITION;

texture EnvironmentMap;
samplerCUBE EnvironmentSampler = sampler_state
{
    Texture = <EnvironmentMap>;
    MinFilter = LINEAR;
    MagFilter = LINEAR;
    MipFilter = NONE;
    AddressU = CLAMP;
    AddressV = CLAMP;
    AddressW = CLAMP;
};

struct VertexOutput {
    float4 position : POSITION;
    float3 worldPosition : TEXCOORD0;
    float3 worldNormal : TEXCOORD1;
};

VertexOutput MirrorVS(float4 position : POSITION, float3 normal : NORMAL)
{
    VertexOutput output;
    float4 world = mul(position, World);
    output.position = mul(mul(world, View), Projection);
    output.worldPosition = world.xyz;
    output.worldNormal = mul(normal, (float3x3)WorldInverseTranspose);
    return output;
}

float4 MirrorPS(float3 worldPosition : TEXCOORD0, float3 worldNormal : TEXCOORD1) : COLOR0
{
    float3 fromEye = normalize(worldPosition - CameraPosition.xyz);
    float3 reflected = reflect(fromEye, normalize(worldNormal));
    return texCUBE(EnvironmentSampler, reflected);
}

// No render states: the ball keeps the host object's own settings.
technique Mirror
{
    pass P0
    {
        VertexShader = compile vs_3_0 MirrorVS();
        PixelShader = compile ps_3_0 MirrorPS();
    }
}
