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

asm9 LineVS
{
    dcl_position v0
    dcl_color v1
    dcl_position o0
    dcl_color o1

    mul r0, v0.x, WorldViewProj[0]
    mad r0, v0.y, WorldViewProj[1], r0
    mad r0, v0.z, WorldViewProj[2], r0
    add o0, r0, WorldViewProj[3]
    mov o1, v1
}


glsl LinePS
{
    in vec4 vLineColor;

    void main()
    {
        PixelColor = vLineColor;
    }
}

asm9 LinePS
{
    dcl_color v0
    mov oC0, v0
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
