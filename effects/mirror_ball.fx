// mirror_ball.fx: a mirror ball: the object shows what a Ryxo cube texture sees around it
// (CubeTex_Sync renders the cube, CubeTex_ApplyObject puts it on the object's texture stage 0).
//
// For every draw of the object the host fills World, View and Projection and the eye position
// (CameraPosition, semantic CAMERAPOSITION), and hands the texture of the object's texture
// stage 0, the cube texture, to the first parameter declared `texture` (EnvironmentMap here).
//
// The reflection is worked out per vertex from the world position, the world normal and the eye
// position, with the dot product written out by components; the cube texture is sampled in
// shader assembly (ps_3_0), each line with a comment saying what it computes.

float4x4 World : WORLD;
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
    float3 reflection : TEXCOORD0; // the direction the eye sees mirrored at this vertex, in world space
};

VertexOutput MirrorVS(float4 position : POSITION, float3 normal : NORMAL)
{
    VertexOutput output;
    float4 world = mul(position, World);
    output.position = mul(mul(world, View), Projection);
    // World must not scale the object, or the normal would need normalising.
    float3 n = mul(normal, (float3x3)World);
    float3 eyeToVertex = world.xyz - CameraPosition.xyz;
    // reflect(eyeToVertex, n), written out: the cube texture needs only the direction.
    float along = eyeToVertex.x * n.x + eyeToVertex.y * n.y + eyeToVertex.z * n.z;
    output.reflection = eyeToVertex - 2.0 * along * n;
    return output;
}

technique Mirror
{
    pass P0
    {
        VertexShader = compile vs_3_0 MirrorVS();
        PixelShader = asm {
            ps_3_0
            dcl_texcoord0 v0.xyz  // the reflected direction from MirrorVS
            dcl_cube s0           // sampler 0: EnvironmentSampler (bound below)
            texld r0, v0, s0      // the cube texture's colour in that direction
            mov oC0, r0
        };
        Sampler[0] = <EnvironmentSampler>;
        ZEnable = TRUE;
        ZWriteEnable = TRUE;
    }
}
