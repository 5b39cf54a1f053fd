#pragma once
// CShaderAssembler: turns Direct3D 9 shader assembly for vs_3_0 and ps_3_0 into the token stream
// IDirect3DDevice9::CreateVertexShader / CreatePixelShader take, so the Direct3D 9 device needs no
// run-time shader compiler. It reads one instruction per line ("mad_sat r0.xyz, v0, c4, -r1_abs"),
// with `//` comments and `#line N` (the next line is line N in messages), and checks registers
// against the shader version: their kinds, numbers, and whether they may be written.
//
// The output is the documented binary format: the version token, one instruction token (opcode,
// comparison or sampling control, and the number of tokens that follow it) per instruction
// followed by its destination and source parameter tokens (and a relative-address token after a
// register addressed through a0 or aL), and the end token 0x0000FFFF.

#include <cstdint>
#include <string>
#include <vector>

namespace Tess
{

class CShaderAssembler
{
public:
    // Assembles `text`. On success `tokens` holds the stream ending with the end token and
    // `errors` is empty; on failure `tokens` is empty and `errors` holds one "line: message" per
    // fault found (reading goes on after a bad line, so one pass reports most faults).
    static bool Assemble(const std::string& text, std::vector<std::uint32_t>& tokens, std::string& errors);

    static constexpr std::uint32_t kVertexVersion30 = 0xFFFE0300;
    static constexpr std::uint32_t kPixelVersion30 = 0xFFFF0300;
    static constexpr std::uint32_t kEndToken = 0x0000FFFF;
};

} // namespace Tess
