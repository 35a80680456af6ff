// instancing_field.fx: draws the instances of a Ryxo instance set in their own colours (the
// instancing field: ten thousand cubes in one draw call).
//
// Apply it to the host object whose limb the set draws (GeoInst_SetMesh). For every draw of the
// set Ryxo fills View and Projection from the camera being rendered, through the handles the host
// keeps for the semantics VIEW and PROJECTION (the engine must recognise both); it never fills
// World: each instance brings its own world matrix as vertex inputs instead. The script may set
// Color.
//
// The vertex inputs of an instance set: the mesh's own streams (here POSITION of a cube without
// texture coordinates), then the four rows of the instance's world matrix at the four texture
// coordinates above the mesh's highest (TEXCOORD1 to TEXCOORD4 here), then the set's custom
// elements in the order they were added: the colour, one element of four floats, at TEXCOORD5.

float4x4 View : VIEW;
float4x4 Projection : PROJECTION;

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
    float4x4 world = float4x4(input.row0, input.row1, input.row2, input.row3);
    output.position = mul(mul(mul(input.position, world), View), Projection);
    output.color = Color * input.color;
    return output;
}

float4 InstancePS(float4 color : TEXCOORD0) : COLOR0
{
    return color;
}

// No render states: the instances are drawn with the host object's own settings (depth test,
// depth writes, transparency), which Ryxo puts on the device before the effect begins.
technique Instanced
{
    pass P0
    {
        VertexShader = compile vs_3_0 InstanceVS();
        PixelShader = compile ps_3_0 InstancePS();
    }
}
