// default.fx: the engine's default effect, used for every entity that names no effect of its
// own. Textured with "ColorMap0" (the renderer sets "default_diffuse.jpg" there) and lit by a
// light at the eye, so any mesh with positions, normals and texture coordinates looks sensible.
// Vertex inputs: POSITION float3, NORMAL float3, TEXCOORD0 float2. The fill mode is left to the
// application (its wireframe switch).

float4x4 World : World;
float4x4 WorldViewProj : WorldViewProjection;
float4 EyePosition : ViewPosition;

texture2D DiffuseMap : ColorMap0
{
    MinFilter = Linear;
    MagFilter = Linear;
    MipFilter = Linear;
    AddressU = Wrap;
    AddressV = Wrap;
};

glsl TexturedVS
{
    layout(location = TESS_POSITION) in vec3 Position;
    layout(location = TESS_NORMAL) in vec3 Normal;
    layout(location = TESS_TEXCOORD0) in vec2 TexCoord;
    out vec3 vNormal;
    out vec3 vToEye;
    out vec2 vUV;

    void main()
    {
        vec4 worldPosition = vec4(Position, 1.0) * World;
        vNormal = (vec4(Normal, 0.0) * World).xyz;
        vToEye = EyePosition.xyz - worldPosition.xyz;
        vUV = TexCoord;
        gl_Position = vec4(Position, 1.0) * WorldViewProj;
    }
}

glsl TexturedPS
{
    in vec3 vNormal;
    in vec3 vToEye;
    in vec2 vUV;

    void main()
    {
        // A vertex without a usable normal is lit as if it faced the eye.
        float facing = 1.0;
        if (dot(vNormal, vNormal) > 1e-12 && dot(vToEye, vToEye) > 1e-12)
            facing = max(dot(normalize(vNormal), normalize(vToEye)), 0.0);
        vec4 texel = texture(DiffuseMap, vUV);
        PixelColor = vec4(texel.rgb * (0.25 + 0.75 * facing), texel.a);
    }
}

technique Textured
{
    pass P0
    {
        ZEnable = true;
        ZWriteEnable = true;
        ZFunc = LessEqual;
        CullMode = CCW;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
        VertexShader = TexturedVS;
        PixelShader = TexturedPS;
    }
}
