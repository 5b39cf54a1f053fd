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

asm9 PartVS
{
    dcl_position v0
    dcl_normal v1
    dcl_position o0
    dcl_texcoord0 o1.xyz            // vNormal
    dcl_texcoord1 o2.xyz            // vToEye

    // A row vector times a matrix: the sum of the vector's components times the matrix's rows.
    mul r0.xyz, v0.x, World[0]
    mad r0.xyz, v0.y, World[1], r0
    mad r0.xyz, v0.z, World[2], r0
    add r0.xyz, r0, World[3]        // world position
    mul r1.xyz, v1.x, World[0]
    mad r1.xyz, v1.y, World[1], r1
    mad o1.xyz, v1.z, World[2], r1
    mov r2.xyz, EyePosition
    add o2.xyz, r2, -r0
    mul r3, v0.x, WorldViewProj[0]
    mad r3, v0.y, WorldViewProj[1], r3
    mad r3, v0.z, WorldViewProj[2], r3
    add o0, r3, WorldViewProj[3]
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

asm9 PartPS
{
    dcl_texcoord0 v0.xyz            // vNormal
    dcl_texcoord1 v1.xyz            // vToEye
    def c20, 0.55, 0.6, 0.25, 0.2   // weights: ambient, key, head, highlight
    def c21, 24, 1e-12, 0.7, 0.5    // highlight power, least squared length, key light's up and side
    def c22, 0, 1, 0, 1             // up (0, 1, 0)

    mov r0.xyz, AmbientColor
    mul r0.xyz, r0, c20.x
    mov r0.w, c22.y
    dp3 r1.x, v0, v0
    dp3 r1.y, v1, v1
    min r1.z, r1.x, r1.y
    if_gt r1.z, c21.y
        nrm r2.xyz, v0              // n
        nrm r3.xyz, v1              // toEye
        crs r4.xyz, c22, r3         // side = UnitOr(cross(up, toEye), (1, 0, 0))
        dp3 r4.w, r4, r4
        if_gt r4.w, c21.y
            rsq r4.w, r4.w
            mul r4.xyz, r4, r4.w
        else
            mov r4.xyz, c22.yxx
        endif
        mad r5.xyz, r4, c21.w, r3   // toKey = normalize(toEye + 0.7 up + 0.5 side)
        add r5.y, r5.y, c21.z
        nrm r6.xyz, r5
        dp3 r7.x, r2, r6
        max r7.x, r7.x, c22.x       // key
        dp3 r7.y, r2, r3
        max r7.y, r7.y, c22.x       // head
        add r8.xyz, r6, r3          // highlight: halfway between key light and eye
        nrm r9.xyz, r8
        dp3 r7.z, r2, r9
        max r7.z, r7.z, c22.x
        pow r7.z, r7.z, c21.x
        cmp r7.z, -r7.x, c22.x, r7.z    // none where the key light does not reach
        mul r7.x, r7.x, c20.y
        mad r7.x, r7.y, c20.z, r7.x
        mad r0.xyz, DiffuseColor, r7.x, r0
        mad r0.xyz, r7.z, c20.w, r0
    endif
    mov_sat oC0, r0
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
