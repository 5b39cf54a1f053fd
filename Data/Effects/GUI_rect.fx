// GUI_rect.fx: flat screen-space rectangles and lines of the GUI (panels, static controls, the
// dialog's shadow edge and cursor). The vertices are pre-transformed screen vertices, so the
// pass has no vertex stage: the device's own serves them and hands on the vertex colour.
// The GUI is drawn over the scene: no depth test, alpha blending by the vertex colour's alpha.
// Always solid: the viewer's wireframe switch is for the equipment, and End puts the device's
// fill mode back for it.

glsl VertexColor
{
    in vec4 vColor;
    in vec2 vTexCoord0;

    void main()
    {
        PixelColor = vColor;
    }
}

asm9 VertexColor
{
    dcl_color v0
    mov oC0, v0
}


technique Rect
{
    pass P0
    {
        ZEnable = false;
        ZWriteEnable = false;
        CullMode = None;
        FillMode = Solid;
        AlphaTestEnable = false;
        AlphaBlendEnable = true;
        BlendOp = Add;
        SrcBlend = SrcAlpha;
        DestBlend = InvSrcAlpha;
        PixelShader = VertexColor;
    }
}
