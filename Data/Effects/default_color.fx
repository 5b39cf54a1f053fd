// default_color.fx: an equipment part. Ambient colour "ObjectParm0" plus diffuse colour
// "ObjectParm1", lit by two lights that travel with the eye ("ViewPosition"): a key light from
// above and to the side of the eye, which tells the faces of a part apart, and a weaker headlight
// that keeps every face the eye sees lit; a small white highlight of the key light shows the
// curvature. The mesh's smooth vertex normals are interpolated per pixel. The terms are weighted
// so that a face turned to the key light is bright but not saturated. Vertex inputs: POSITION
// float3, NORMAL float3. The fill mode is left to the application (its wireframe switch).

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

    const float kAmbientWeight = 0.55;
    const float kKeyWeight = 0.6;
    const float kHeadWeight = 0.25;
    const float kHighlightWeight = 0.2;
    const float kHighlightPower = 24.0;

    vec3 UnitOr(vec3 v, vec3 fallback)
    {
        float length2 = dot(v, v);
        return length2 > 1e-12 ? v * inversesqrt(length2) : fallback;
    }

    void main()
    {
        vec3 color = AmbientColor.rgb * kAmbientWeight;
        if (dot(vNormal, vNormal) > 1e-12 && dot(vToEye, vToEye) > 1e-12)
        {
            vec3 n = normalize(vNormal);
            vec3 toEye = normalize(vToEye);
            // The key light stands above the eye and to its side, whichever way the eye looks
            // (straight down or up, the side is taken from the world's X axis instead).
            vec3 up = vec3(0.0, 1.0, 0.0);
            vec3 side = UnitOr(cross(up, toEye), vec3(1.0, 0.0, 0.0));
            vec3 toKey = normalize(toEye + 0.7 * up + 0.5 * side);
            float key = max(dot(n, toKey), 0.0);
            float head = max(dot(n, toEye), 0.0);
            float highlight = key > 0.0 ? pow(max(dot(n, normalize(toKey + toEye)), 0.0), kHighlightPower) : 0.0;
            color += DiffuseColor.rgb * (kKeyWeight * key + kHeadWeight * head) + vec3(kHighlightWeight * highlight);
        }
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
