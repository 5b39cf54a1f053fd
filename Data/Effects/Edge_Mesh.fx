// Edge_Mesh.fx: the outline of an equipment part, drawn from its edge mesh.
//
// The edge mesh holds every edge of the part twice (edge k joins vertices 2k and 2k+1) and, for
// each pair of edges that lie on top of each other (one pair per shared edge), zero-area fins
// joining them. Each vertex carries its own unit NORMAL, the unit NORMAL of the coinciding vertex
// across the edge (TANGENT; either is zero on a face of no area) and a crease flag (TEXCOORD0:
// 1.0 where the two normals differ by more than 1.47 radians).
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

glsl FinPS
{
    void main()
    {
        PixelColor = vec4(OutlineColor.rgb, 1.0);
    }
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
