// shader_cubes.fx: the cubes whose colour, brightness and shape a script sets through the Shader_
// commands (by value, through memory written with the Poke commands, or by switching technique).
//
// The host fills World, View and Projection for every draw of the object; the script sets Color,
// Brightness and Shape by name (Shader_GetParameterByName) and picks "Tinted" or "Inverted"
// (Shader_GetTechniqueByName, Shader_SetTechnique).

float4x4 World : WORLD;
float4x4 View : VIEW;
float4x4 Projection : PROJECTION;

float4 Color = {1.0, 1.0, 1.0, 1.0};  // the cube's colour (alpha is written as it is)
float Brightness = 1.0;               // multiplies the colour
// Applied to every vertex before World, in the mesh's own space: a script stretches or shears
// the cube with it.
float4x4 Shape = {1, 0, 0, 0,
                  0, 1, 0, 0,
                  0, 0, 1, 0,
                  0, 0, 0, 1};

struct VertexOutput {
    float4 position : POSITION;
    float3 normal : TEXCOORD0; // the mesh's normal, in its own space
};

VertexOutput CubeVS(float4 position : POSITION, float3 normal : NORMAL)
{
    VertexOutput output;
    float4 world = mul(mul(position, Shape), World);
    output.position = mul(mul(world, View), Projection);
    output.normal = normal;
    return output;
}

// A fixed shade by the side a face is turned to: faces turned to -Z or +Z at full colour, faces
// turned up or down at 0.75, faces turned sideways at 0.55. The normal's components are squared,
// so both sides of an axis get the same shade.
float Shade(float3 normal)
{
    float3 n = normalize(normal);
    return 1.0 - dot(n * n, float3(0.45, 0.25, 0.0));
}

float4 TintedPS(float3 normal : TEXCOORD0) : COLOR0
{
    return float4(Color.rgb * Brightness * Shade(normal), Color.a);
}

float4 InvertedPS(float3 normal : TEXCOORD0) : COLOR0
{
    return float4((1.0 - Color.rgb) * Brightness * Shade(normal), Color.a);
}

// No render states: each cube keeps the host object's own settings.
technique Tinted
{
    pass P0
    {
        VertexShader = compile vs_3_0 CubeVS();
        PixelShader = compile ps_3_0 TintedPS();
    }
}

technique Inverted
{
    pass P0
    {
        VertexShader = compile vs_3_0 CubeVS();
        PixelShader = compile ps_3_0 InvertedPS();
    }
}
