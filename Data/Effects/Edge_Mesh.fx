// Edge_Mesh.fx: the outline of an equipment part, drawn from its edge mesh.
//
// The edge mesh holds every edge of the part twice (edge k joins vertices 2k and 2k+1) and, for
// each pair of edges that lie on top of each other (one pair per shared edge), zero-area fins
// joining them. Each vertex carries its own unit NORMAL, the unit NORMAL of the coinciding vertex
// across the edge (TANGENT; either is zero on a face of no area), a crease flag (TEXCOORD0.x:
// 1.0 where the two normals differ by more than 1.47 radians) and its end of the edge
// (TEXCOORD0.y: 0 for vertex 2k, 1 for 2k+1; the GLSL form reads gl_VertexID instead).
//
// How the outline appears: a fin gets area when its corners move apart. Only the second vertex
// of each edge (odd gl_VertexID) moves; on a consistently wound closed mesh the two edges of a
// fin run in opposite directions, so each end of the fin has one corner that stays and one that
// moves, and the fin opens into a band along the edge. This matters on smooth surfaces, where
// the coinciding corners of a fin carry identical data and only the vertex number tells them
// apart. A corner moves, perpendicular to the line of sight, by "ViewParm0".x times
// "ObjectParm1".x model units, never less than a few pixels, so the line stays unbroken when the
// value is small. "ViewParm0".x is the application's displacement (still or animated) for a part
// of the reference size; "ObjectParm1".x is this part's size as a share of that reference, so the
// band keeps the same share of the part on screen whatever the part's units (no slabs on a
// two-unit part, no hairlines on a 700-unit one):
// - at a crease (flag 1.0), always, across the edge as seen from the eye, away from the solid;
//   likewise at a gentler fold whose one side faces the eye and whose other side faces away
//   (a chamfer turning away on the silhouette);
// - on a smooth surface, where its normal is nearly perpendicular to the line of sight: fully on
//   the silhouette and fading out within a small angle in front of it (a wider one behind it,
//   where the part itself hides the fins). Smooth silhouettes (a cylinder's side, a sphere) thus
//   get their outline from the fins along the edges that run closest to the silhouette, pushed
//   outwards in the direction of the normal as the eye sees it.
// Fins facing the eye squarely stay degenerate and draw nothing. The band is drawn in
// "ObjectParm0" (black for the outline entity), depth-tested against the part.
//
// The eye in the part's own space comes as "ObjectParm2".xyz with w = 1: the outline entity finds
// it once a draw (the same point its band culler tests corners against). An entity that hands
// over nothing there (w = 0) still gets its outline: each vertex then solves for the eye itself.

float4x4 World : World;
float4x4 WorldViewProj : WorldViewProjection;
float4 EyePosition : ViewPosition;
float4 Displacement : ViewParm0;
float4 OutlineColor : ObjectParm0;
float4 PartSize : ObjectParm1;
float4 EyeInModel : ObjectParm2;

glsl FinVS
{
    layout(location = TESS_POSITION) in vec3 Position;
    layout(location = TESS_NORMAL) in vec3 Normal;
    layout(location = TESS_TANGENT) in vec3 OtherNormal;
    layout(location = TESS_TEXCOORD0) in float CreaseFlag;

    // Narrowest band, in normalised device units (about three pixels of an 800 x 600 target).
    const float kMinimumWidth = 0.01;
    // How far from the silhouette a smooth surface's fins still open, as the cosine between
    // normal and line of sight, in front of and behind the silhouette.
    const float kFrontFade = 0.2;
    const float kBackFade = 0.5;

    vec3 UnitOr(vec3 v, vec3 fallback)
    {
        float length2 = dot(v, v);
        return length2 > 1e-12 ? v * inversesqrt(length2) : fallback;
    }

    // The eye in model space, handed over or solved for. The world matrix maps a model point p to
    // p.x r0 + p.y r1 + p.z r2 + t (its rows); the eye's offset from t is solved for with
    // Cramer's rule, a few cross products where a full 4 x 4 inverse takes many times more.
    vec3 EyeInModelSpace()
    {
        if (EyeInModel.w != 0.0)
            return EyeInModel.xyz;
        vec3 r0 = vec3(1.0, 0.0, 0.0) * mat3(World);
        vec3 r1 = vec3(0.0, 1.0, 0.0) * mat3(World);
        vec3 r2 = vec3(0.0, 0.0, 1.0) * mat3(World);
        vec3 offset = EyePosition.xyz - (vec4(0.0, 0.0, 0.0, 1.0) * World).xyz;
        vec3 c12 = cross(r1, r2);
        float determinant = dot(r0, c12);
        if (determinant == 0.0)
            return offset;
        return vec3(dot(offset, c12), dot(offset, cross(r2, r0)), dot(offset, cross(r0, r1))) / determinant;
    }

    // Model-space direction in which this corner moves, and how strongly (0 to 1).
    vec4 Opening(vec3 toEye)
    {
        vec3 n = Normal;
        vec3 m = dot(OtherNormal, OtherNormal) > 0.0 ? OtherNormal : n;
        // A fold whose one side faces the eye and whose other side faces away is on the
        // silhouette, however gentle the fold: it opens like a crease.
        bool silhouetteFold = dot(n, toEye) * dot(m, toEye) < 0.0;
        if (CreaseFlag > 0.5 || silhouetteFold)
        {
            vec3 along = cross(n, m);
            vec3 across = cross(toEye, along);
            vec3 away = n + m;
            if (dot(across, across) < 1e-8)
                across = away - dot(away, toEye) * toEye;
            if (dot(across, away) < 0.0)
                across = -across;
            return vec4(UnitOr(across, vec3(0.0)), 1.0);
        }
        float facing = dot(n, toEye);
        float weight = facing >= 0.0 ? 1.0 - smoothstep(0.0, kFrontFade, facing)
                                     : 1.0 - smoothstep(0.0, kBackFade, -facing);
        return vec4(UnitOr(n - facing * toEye, vec3(0.0)), weight);
    }

    void main()
    {
        vec4 base = vec4(Position, 1.0) * WorldViewProj;
        gl_Position = base;
        if ((gl_VertexID & 1) == 0 || base.w <= 0.0)
            return;

        vec3 toEye = UnitOr(EyeInModelSpace() - Position, vec3(0.0, 0.0, -1.0));
        vec4 opening = Opening(toEye);
        if (opening.w <= 0.0 || dot(opening.xyz, opening.xyz) == 0.0)
            return;

        // Screen-space image of one model unit along the opening direction.
        vec4 step = vec4(opening.xyz, 0.0) * WorldViewProj;
        vec2 perUnit = (step.xy * base.w - base.xy * step.w) / (base.w * base.w);
        float unitLength = length(perUnit);
        if (unitLength < 1e-9)
            return;
        float width = opening.w * max(Displacement.x * PartSize.x * unitLength, kMinimumWidth);
        gl_Position.xy += perUnit / unitLength * width * base.w;
    }
}

// The Direct3D 9 form. Direct3D 9 has no vertex number: the second vertex of an edge is told
// apart by TEXCOORD0.y = 1.
// Each instruction reads at most one constant register, as vs_3_0 asks.
asm9 FinVS
{
    dcl_position v0
    dcl_normal v1
    dcl_tangent v2                  // the other normal
    dcl_texcoord0 v3                // x: crease flag, y: 1 on the second vertex of an edge
    dcl_position o0
    def c20, 0, 1, 0.5, 1e-12
    def c21, 0, 0, -1, 0.01         // xyz: toEye's fallback; w: narrowest band
    def c22, 5, 2, 1e-8, 1e-9       // 1 / front fade, 1 / back fade, least lengths
    def c23, 3, -2, 0, 0            // smoothstep's 3 - 2t

    mul r0, v0.x, WorldViewProj[0]
    mad r0, v0.y, WorldViewProj[1], r0
    mad r0, v0.z, WorldViewProj[2], r0
    add r0, r0, WorldViewProj[3]    // base
    mov r11, r0
    if_gt v3.y, c20.z
    if_gt r0.w, c20.x
        // The eye in model space (r1), handed over or solved for with Cramer's rule.
        mov r1, EyeInModel
        if_eq r1.w, c20.x
            mov r2.xyz, World[0]
            mov r3.xyz, World[1]
            mov r4.xyz, World[2]
            mov r5.xyz, EyePosition
            add r5.xyz, r5, -World[3]   // offset
            crs r6.xyz, r3, r4
            dp3 r7.x, r2, r6            // determinant
            mov r1.xyz, r5
            if_ne r7.x, c20.x
                crs r8.xyz, r4, r2
                crs r9.xyz, r2, r3
                rcp r7.y, r7.x
                dp3 r1.x, r5, r6
                dp3 r1.y, r5, r8
                dp3 r1.z, r5, r9
                mul r1.xyz, r1, r7.y
            endif
        endif
        add r1.xyz, r1, -v0             // toEye = UnitOr(eye - Position, (0, 0, -1))
        dp3 r1.w, r1, r1
        if_gt r1.w, c20.w
            rsq r1.w, r1.w
            mul r1.xyz, r1, r1.w
        else
            mov r1.xyz, c21
        endif

        // Opening: direction r5.xyz, weight r5.w. n = v1, m = r2.
        mov r2.xyz, v1
        dp3 r2.w, v2, v2
        if_gt r2.w, c20.x
            mov r2.xyz, v2
        endif
        dp3 r3.x, v1, r1                // facing
        dp3 r3.y, r2, r1
        mul r3.z, r3.x, r3.y            // below 0: a fold on the silhouette
        slt r3.w, c20.z, v3.x           // crease flag above 0.5
        slt r4.w, r3.z, c20.x
        add r3.w, r3.w, r4.w
        if_gt r3.w, c20.x
            crs r4.xyz, v1, r2          // along
            crs r5.xyz, r1, r4          // across
            add r6.xyz, v1, r2          // away
            dp3 r5.w, r5, r5
            if_lt r5.w, c22.z
                dp3 r6.w, r6, r1
                mad r5.xyz, -r6.w, r1, r6
            endif
            dp3 r6.w, r5, r6
            if_lt r6.w, c20.x
                mov r5.xyz, -r5
            endif
            mov r5.w, c20.y
        else
            if_ge r3.x, c20.x
                mul_sat r6.x, r3.x, c22.x
            else
                mul_sat r6.x, -r3.x, c22.y
            endif
            mad r6.y, r6.x, c23.y, c23.x
            mul r6.y, r6.y, r6.x
            mul r6.y, r6.y, r6.x        // smoothstep
            add r5.w, c20.y, -r6.y
            mad r5.xyz, -r3.x, r1, v1   // n - facing toEye
        endif
        dp3 r6.z, r5, r5                // UnitOr(direction, 0)
        if_gt r6.z, c20.w
            rsq r6.z, r6.z
            mul r5.xyz, r5, r6.z
        else
            mov r5.xyz, c20.x
        endif

        dp3 r6.z, r5, r5
        mul r6.z, r6.z, r5.w
        if_gt r6.z, c20.x
            // Screen-space image of one model unit along the opening direction.
            mul r7, r5.x, WorldViewProj[0]
            mad r7, r5.y, WorldViewProj[1], r7
            mad r7, r5.z, WorldViewProj[2], r7
            mul r8.xy, r7, r0.w
            mad r8.xy, -r0, r7.w, r8
            mul r8.z, r0.w, r0.w
            rcp r8.z, r8.z
            mul r8.xy, r8, r8.z         // perUnit
            mul r8.w, r8.x, r8.x
            mad r8.w, r8.y, r8.y, r8.w
            rsq r9.x, r8.w              // 1 / unitLength
            rcp r9.y, r9.x              // unitLength
            if_ge r9.y, c22.w
                mov r9.z, Displacement.x
                mul r9.z, r9.z, PartSize.x
                mul r9.z, r9.z, r9.y
                max r9.z, r9.z, c21.w
                mul r9.z, r9.z, r5.w    // width
                mul r9.z, r9.z, r9.x
                mul r9.z, r9.z, r0.w
                mad r11.xy, r8, r9.z, r11
            endif
        endif
    endif
    endif
    mov o0, r11
}


glsl FinPS
{
    void main()
    {
        PixelColor = vec4(OutlineColor.rgb, 1.0);
    }
}

asm9 FinPS
{
    def c20, 1, 0, 0, 0
    mov r0.xyz, OutlineColor
    mov r0.w, c20.x
    mov oC0, r0
}


technique Outline
{
    pass P0
    {
        ZEnable = true;
        ZWriteEnable = true;
        ZFunc = LessEqual;
        CullMode = None;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
        VertexShader = FinVS;
        PixelShader = FinPS;
    }
}
