// GUI_sprite.fx: textured screen-space rectangles of the GUI (buttons). The sprite's texture
// comes from the renderer's texture slot 0 ("ColorMap0"); its colour and alpha are multiplied by
// the vertex colour, whose alpha fades the button in and out. Pre-transformed screen vertices:
// no vertex stage, the device's own serves them. No depth test, alpha blending, and always solid
// whatever fill mode the wireframe switch gave the device (End puts it back).

texture2D SpriteMap : ColorMap0
{
    MinFilter = Linear;
    MagFilter = Linear;
    MipFilter = None;
    AddressU = Clamp;
    AddressV = Clamp;
};

glsl TexturedVertexColor
{
    in vec4 vColor;
    in vec2 vTexCoord0;

    void main()
    {
        PixelColor = texture(SpriteMap, vTexCoord0) * vColor;
    }
}

asm9 TexturedVertexColor
{
    dcl_color v0
    dcl_texcoord0 v1.xy
    texld r0, v1, SpriteMap
    mul oC0, r0, v0
}


technique Sprite
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
        PixelShader = TexturedVertexColor;
    }
}
