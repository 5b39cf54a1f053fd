// default_color.fx: an equipment part. Ambient colour "ObjectParm0" plus diffuse colour
// "ObjectParm1" lit by a headlight at the eye ("ViewPosition"), with the mesh's smooth vertex
// normals interpolated per pixel. Vertex inputs: POSITION float3, NORMAL float3. The fill mode is
// left to the application (its wireframe switch).

float4x4 World : World;
float4x4 WorldViewProj : WorldViewProjection;
float4 EyePosition : ViewPosition;
float4 AmbientColor : ObjectParm0;
float4 DiffuseColor : ObjectParm1;

glsl PartVS
{
    layout(location = TESS_POSITION) in vec3 Position;
    layout(location = TESS_NORMAL) in vec3 Normal;
    out vec3 vNormal;
    out vec3 vToEye;

    void main()
    {
        vec4 worldPosition = vec4(Position, 1.0) * World;
        vNormal = (vec4(Normal, 0.0) * World).xyz;
        vToEye = EyePosition.xyz - worldPosition.xyz;
        gl_Position = vec4(Position, 1.0) * WorldViewProj;
    }
}

glsl PartPS
{
    in vec3 vNormal;
    in vec3 vToEye;

    void main()
    {
        float facing = 0.0;
        if (dot(vNormal, vNormal) > 1e-12 && dot(vToEye, vToEye) > 1e-12)
            facing = max(dot(normalize(vNormal), normalize(vToEye)), 0.0);
        vec3 color = AmbientColor.rgb + DiffuseColor.rgb * facing;
        PixelColor = vec4(clamp(color, 0.0, 1.0), 1.0);
    }
}

technique Headlight
{
    pass P0
    {
        ZEnable = true;
        ZWriteEnable = true;
        ZFunc = LessEqual;
        CullMode = CCW;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
        VertexShader = PartVS;
        PixelShader = PartPS;
    }
}
