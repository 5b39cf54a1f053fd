vs_3_0
dcl_position v0
dcl_normal v1
dcl_texcoord0 v2
dcl_position o0
dcl_texcoord0 o1.xy
dcl_texcoord1 o2.xyz
def c20, 1, 0.5, 0, -2
defi i0, 4, 0, 1, 0
m4x4 o0, v0, c0
m4x3 r0.xyz, v0, c4
mova a0.x, v1.w
mad_sat o2.xyz, -r0_abs, c[a0.x + 8], c20.yzzw
loop aL, i0
add r0, r0, c[aL + 10]
break_gt r0.x, c20.x
endloop
mov o1.xy, v2
