// instancing_field.fx: draws the instances of a Ryxo instance set in their own colours (the
// instancing field: ten thousand cubes in one draw call).
//
// Apply it to the host object whose limb the set draws (GeoInst_SetMesh). For every draw of the
// set Ryxo fills View, Projection and ViewProjection from the camera being rendered; it never
// fills World: each instance brings its own world matrix as vertex inputs instead.
//
// The vertex inputs of an instance set: the mesh's own streams (here POSITION of a cube without
// texture coordinates), then the four rows of the instance's world matrix at the four texture
// coordinates above the mesh's highest (TEXCOORD1 to TEXCOORD4 here), then the set's custom
// elements in the order they were added: the colour, one element of four floats, at TEXCOORD5.

float4x4 View : VIEW;
float4x4 Projection : PROJECTION;
float4x4 ViewProjection : VIEWPROJECTION;

// Multiplies every instance's colour (white leaves the colours as the script set them).
float4 Color = {1.0, 1.0, 1.0, 1.0};

struct VertexInput {
    float4 position : POSITION;  // the mesh's vertex, in the mesh's own space
    float4 row0 : TEXCOORD1;     // the instance's world matrix, row by row
    float4 row1 : TEXCOORD2;
    float4 row2 : TEXCOORD3;
    float4 row3 : TEXCOORD4;
    float4 color : TEXCOORD5;    // custom element 1: red, green, blue, alpha
};

struct VertexOutput {
    float4 position : POSITION;
    float4 color : TEXCOORD0;
};

VertexOutput InstanceVS(VertexInput input)
{
    VertexOutput output;
    // position x world matrix, written out row by row: the same product as
    // mul(input.position, float4x4(input.row0, input.row1, input.row2, input.row3)), which some HLSL
    // compilers get wrong for a matrix built from vertex inputs.
    float4 world = input.position.x * input.row0 + input.position.y * input.row1 +
                   input.position.z * input.row2 + input.position.w * input.row3;
    output.position = mul(world, ViewProjection);
    output.color = Color * input.color;
    return output;
}

float4 InstancePS(float4 color : TEXCOORD0) : COLOR0
{
    return color;
}

technique Instanced
{
    pass P0
    {
        VertexShader = compile vs_3_0 InstanceVS();
        PixelShader = compile ps_3_0 InstancePS();
        ZEnable = TRUE;
        ZWriteEnable = TRUE;
    }
}
