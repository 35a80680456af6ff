// three_outputs.fx: draws an object into three render targets at once, one colour each: Color0
// to render target 0 (the camera's own image), Color1 to render target 1 and Color2 to render
// target 2 (the images MRT_Sync, EfxCam_SetMRTImage or CubeTex_SyncMRT add as extra targets).
// The demo's scene writes the object's colour, a depth grey and an object-id colour.
//
// The host fills World, View and Projection for every draw; the script sets the three colours.

float4x4 World : WORLD;
float4x4 View : VIEW;
float4x4 Projection : PROJECTION;

float4 Color0 = {1.0, 0.0, 0.0, 1.0};
float4 Color1 = {0.0, 1.0, 0.0, 1.0};
float4 Color2 = {0.0, 0.0, 1.0, 1.0};

float4 ThreeOutputsVS(float4 position : POSITION) : POSITION
{
    return mul(mul(mul(position, World), View), Projection);
}

struct ThreeColours {
    float4 target0 : COLOR0; // render target 0
    float4 target1 : COLOR1; // render target 1
    float4 target2 : COLOR2; // render target 2
};

ThreeColours ThreeOutputsPS()
{
    ThreeColours output;
    output.target0 = Color0;
    output.target1 = Color1;
    output.target2 = Color2;
    return output;
}

// No render states: the object keeps its own host settings.
technique ThreeOutputs
{
    pass P0
    {
        VertexShader = compile vs_3_0 ThreeOutputsVS();
        PixelShader = compile ps_3_0 ThreeOutputsPS();
    }
}
