// mirror_ball.fx: a mirror ball: the object shows what a Ryxo cube texture sees around it
// (CubeTex_Sync renders the cube, CubeTex_ApplyObject puts it on the object's texture stage 0).
//
// What the host must do for every draw of the object: fill World, View and Projection (the
// semantics WORLD, VIEW and PROJECTION), and hand the texture of the object's texture stage 0, the
// cube texture, to the first parameter declared `texture` (EnvironmentMap here), which the
// sampler's Texture state binds. A host that puts the cube on the device's texture stage 0 alone
// leaves EnvironmentMap empty, and the ball mirrors nothing. The script sets nothing.
//
// The eye's position is worked out from View, and normals are carried into world space by World
// itself: the ball may be moved, turned and scaled evenly. The reflection is worked out for every
// pixel, from the normal and the direction from the eye, both normalised there.

float4x4 World : WORLD;
float4x4 View : VIEW;
float4x4 Projection : PROJECTION;

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
    float3 fromEye : TEXCOORD0;
    float3 worldNormal : TEXCOORD1;
};

VertexOutput MirrorVS(float4 position : POSITION, float3 normal : NORMAL)
{
    VertexOutput output;
    float4 world = mul(position, World);
    output.position = mul(mul(world, View), Projection);
    // View's last row is minus the eye's position turned by the view's rotation, whose inverse is
    // its transpose: turned back, it gives the eye.
    float3 eye = -mul((float3x3)View, View[3].xyz);
    output.fromEye = world.xyz - eye;
    output.worldNormal = mul(normal, (float3x3)World);
    return output;
}

float4 MirrorPS(float3 fromEye : TEXCOORD0, float3 worldNormal : TEXCOORD1) : COLOR0
{
    float3 reflected = reflect(normalize(fromEye), normalize(worldNormal));
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
