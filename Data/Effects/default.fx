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

asm9 TexturedVS
{
    dcl_position v0
    dcl_normal v1
    dcl_texcoord0 v2
    dcl_position o0
    dcl_texcoord0 o1.xyz            // vNormal
    dcl_texcoord1 o2.xyz            // vToEye
    dcl_texcoord2 o3.xy             // vUV

    // A row vector times a matrix: the sum of the vector's components times the matrix's rows.
    mul r0.xyz, v0.x, World[0]
    mad r0.xyz, v0.y, World[1], r0
    mad r0.xyz, v0.z, World[2], r0
    add r0.xyz, r0, World[3]
    mul r1.xyz, v1.x, World[0]
    mad r1.xyz, v1.y, World[1], r1
    mad o1.xyz, v1.z, World[2], r1
    mov r2.xyz, EyePosition
    add o2.xyz, r2, -r0
    mov o3.xy, v2
    mul r3, v0.x, WorldViewProj[0]
    mad r3, v0.y, WorldViewProj[1], r3
    mad r3, v0.z, WorldViewProj[2], r3
    add o0, r3, WorldViewProj[3]
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

asm9 TexturedPS
{
    dcl_texcoord0 v0.xyz            // vNormal
    dcl_texcoord1 v1.xyz            // vToEye
    dcl_texcoord2 v2.xy             // vUV
    def c20, 1e-12, 0.25, 0.75, 1
    def c21, 0, 0, 0, 0

    mov r1.x, c20.w                 // facing
    dp3 r0.x, v0, v0
    dp3 r0.y, v1, v1
    min r0.z, r0.x, r0.y
    if_gt r0.z, c20.x
        nrm r2.xyz, v0
        nrm r3.xyz, v1
        dp3 r1.x, r2, r3
        max r1.x, r1.x, c21.x
    endif
    texld r4, v2, DiffuseMap
    mad r1.x, r1.x, c20.z, c20.y
    mul r4.xyz, r4, r1.x
    mov oC0, r4
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
