// Vector.fx: world-space debug lines (entity bounds, mesh normals and tangents), coloured per
// vertex. Line vertices: POSITION float3, COLOR0 as a 32-bit colour. Depth-tested like the scene
// they annotate.

float4x4 WorldViewProj : WorldViewProjection;

glsl LineVS
{
    layout(location = TESS_POSITION) in vec3 Position;
    layout(location = TESS_COLOR0) in vec4 Color;
    out vec4 vLineColor;

    void main()
    {
        gl_Position = vec4(Position, 1.0) * WorldViewProj;
        vLineColor = Color;
    }
}

glsl LinePS
{
    in vec4 vLineColor;

    void main()
    {
        PixelColor = vLineColor;
    }
}

technique Lines
{
    pass P0
    {
        ZEnable = true;
        ZWriteEnable = true;
        ZFunc = LessEqual;
        CullMode = None;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
        VertexShader = LineVS;
        PixelShader = LinePS;
    }
}
