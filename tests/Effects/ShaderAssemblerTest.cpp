// The Direct3D 9 shader assembler: token streams checked word by word against the binary format
// (each expected word is derived beside it), the checks a version makes of its registers, error
// lines, and text that is not assembly at all.

#include "Engine/Effects/ShaderAssembler.h"

#include <gtest/gtest.h>

#include <random>

namespace Tess
{
namespace
{

using Tokens = std::vector<std::uint32_t>;

Tokens AssembleOk(const std::string& text)
{
    Tokens tokens;
    std::string errors;
    EXPECT_TRUE(CShaderAssembler::Assemble(text, tokens, errors)) << errors;
    EXPECT_EQ(errors, "");
    return tokens;
}

std::string AssembleErrors(const std::string& text)
{
    Tokens tokens = {1};
    std::string errors;
    EXPECT_FALSE(CShaderAssembler::Assemble(text, tokens, errors)) << text;
    EXPECT_TRUE(tokens.empty());
    return errors;
}

// Parameter tokens: bit 31 set, register type bits 0-2 in 28-30 and bits 3-4 in 11-12, number in
// 0-10. Destinations carry the write mask in 16-19 and result modifiers in 20-23 (saturate 1,
// partial precision 2); sources the swizzle in 16-23 (two bits a component, xyzw = 0xE4) and the
// source modifier in 24-27 (negate 1, abs 11, negated abs 12); bit 13 marks relative addressing,
// followed by a token naming the address register. Instruction tokens: opcode in 0-15,
// comparison or sampling control in 16-23, the number of tokens that follow in 24-27.
TEST(ShaderAssembler, VertexShaderMatchesTheBinaryFormat)
{
    const Tokens tokens = AssembleOk(R"(vs_3_0
        dcl_position v0              // usage 0
        dcl_normal v1
        dcl_texcoord1 o3.xy
        dcl_position o0
        def c20, 1, 0.5, 0, -2
        m4x4 o0, v0, c0
        dp3 r0.x, v1, c4
        mova a0.x, v1.w
        mad_sat o3.xy, -r0_abs.x, c[a0.x + 8], c20.yzzw
        loop aL, i0
        add r0, r0, c[aL + 10]
        endloop
    )");
    const Tokens expected = {
        0xFFFE0300,                                     // vs_3_0
        0x0200001F, 0x80000000, 0x900F0000,             // dcl: usage POSITION(0) index 0; v0 (type 1), mask xyzw
        0x0200001F, 0x80000003, 0x900F0001,             // NORMAL (3); v1
        0x0200001F, 0x80010005, 0xE0030003,             // TEXCOORD (5) index 1 in bits 16-19; o3 (type 6), mask xy
        0x0200001F, 0x80000000, 0xE00F0000,             // POSITION; o0
        0x05000051, 0xA00F0014,                         // def (81), 5 tokens follow; c20 (type 2), mask xyzw
        0x3F800000, 0x3F000000, 0x00000000, 0xC0000000, // 1.0f, 0.5f, 0.0f, -2.0f
        0x03000014, 0xE00F0000, 0x90E40000, 0xA0E40000, // m4x4 (20); o0; v0.xyzw; c0.xyzw
        0x03000008, 0x80010000, 0x90E40001, 0xA0E40004, // dp3 (8); r0 (type 0) mask x; v1; c4
        0x0200002E, 0xB0010000, 0x90FF0001,             // mova (46); a0 (type 3) mask x; v1.wwww (0xFF)
        0x05000004,                                     // mad (4): dst, 3 sources, 1 address token
        0xE0130003,                                     // o3, mask xy, saturate (1 << 20)
        0x8C000000,                                     // r0.xxxx, negated abs (12 << 24)
        0xA0E42008, 0xB0000000,                         // c8 relative (bit 13), then a0.xxxx
        0xA0E90014,                                     // c20.yzzw: 1 | 2<<2 | 2<<4 | 3<<6 = 0xE9
        0x0200001B, 0xF0E40800, 0xF0E40000,             // loop (27); aL (type 15: 7 and 1<<11); i0 (type 7)
        0x04000002, 0x800F0000, 0x80E40000,             // add (2); r0; r0
        0xA0E4200A, 0xF0E40800,                         // c10 relative to aL
        0x0000001D,                                     // endloop (29)
        0x0000FFFF,                                     // end
    };
    EXPECT_EQ(tokens, expected);
}

TEST(ShaderAssembler, PixelShaderMatchesTheBinaryFormat)
{
    const Tokens tokens = AssembleOk(R"(ps_3_0
        dcl_texcoord0 v0.xy
        dcl_2d s0
        dcl_cube s1
        defi i0, 3, 0, 1, 0
        defb b2, true
        texld_pp r0, v0, s0
        if_gt r0.x, c1.y
          texkill r0
        else
          rep i0
            add r0, r0, -c2
            break_ge r0.w, c2.w
          endrep
        endif
        if b2
          mul r0.xyz, r0, c0
        endif
        texldl r1, v0, s1
        mov oC0, r0
    )");
    const Tokens expected = {
        0xFFFF0300,                                     // ps_3_0
        0x0200001F, 0x80000005, 0x90030000,             // TEXCOORD index 0; v0 mask xy
        0x0200001F, 0x90000000, 0xA00F0800,             // texture type 2D (2 << 27); s0 (type 10: 2 and 1<<11)
        0x0200001F, 0x98000000, 0xA00F0801,             // CUBE (3 << 27); s1
        0x05000030, 0xF00F0000, 3, 0, 1, 0,             // defi (48); i0; the integers
        0x0200002F, 0xE00F0802, 1,                      // defb (47); b2 (type 14: 6 and 1<<11); true
        0x03000042, 0x802F0000, 0x90E40000, 0xA0E40800, // texld (66); r0 with _pp (2 << 20); v0; s0
        0x02010029, 0x80000000, 0xA0550001,             // if (41) comparison gt (1); r0.x; c1.yyyy
        0x01000041, 0x800F0000,                         // texkill (65) takes a destination token
        0x0000002A,                                     // else (42)
        0x01000026, 0xF0E40000,                         // rep (38); i0
        0x03000002, 0x800F0000, 0x80E40000, 0xA1E40002, // add; r0; r0; -c2 (negate 1 << 24)
        0x0203002D, 0x80FF0000, 0xA0FF0002,             // break (45) comparison ge (3); r0.w; c2.w
        0x00000027,                                     // endrep (39)
        0x0000002B,                                     // endif (43)
        0x01000028, 0xE0E40802,                         // if (40) b2
        0x03000005, 0x80070000, 0x80E40000, 0xA0E40000, // mul (5); r0.xyz; r0; c0
        0x0000002B,                                     // endif
        0x0300005F, 0x800F0001, 0x90E40000, 0xA0E40801, // texldl (95); r1; v0; s1
        0x02000001, 0x800F0800, 0x80E40000,             // mov; oC0 (type 8: 0 and 1<<11); r0
        0x0000FFFF,
    };
    EXPECT_EQ(tokens, expected);
}

TEST(ShaderAssembler, RegistersAreCheckedAgainstTheVersion)
{
    struct Case
    {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"vs_3_0\nmov r0, c256", "2: register c256 out of range (c0 to c255)"},
        {"ps_3_0\nmov r0, c224", "2: register c224 out of range (c0 to c223)"},
        {"ps_3_0\nmov r0, v10", "2: register v10 out of range (v0 to v9)"},
        {"vs_3_0\nmov o12, r0", "2: register o12 out of range (o0 to o11)"},
        {"vs_3_0\ntexldl r0, r1, s4", "2: register s4 out of range (s0 to s3)"},
        {"ps_3_0\nmov o0, r0", "2: register o does not exist in ps_3_0"},
        {"vs_3_0\nmov oC0, r0", "2: register oC does not exist in vs_3_0"},
        {"ps_3_0\nmov r0, c[a0.x]", "2: bad relative address"},
        {"vs_3_0\nmov c0, r0", "2: register c cannot be written"},
        {"vs_3_0\nmov a0.x, r0", "2: only mova writes a0"},
        {"vs_3_0\nmov r0, v[a0.x]", "2: register v cannot be addressed relatively here"},
        {"vs_3_0\nm4x4 o0, v0, c253", "2: 'm4x4' reads past the last c register"},
        {"vs_3_0\ntexld r0, r1, s0", "2: 'texld' is not available in vs_3_0"},
        {"ps_3_0\ntexld r0, r1, c0", "2: 'texld' samples an s register"},
        {"ps_3_0\nadd r0, r1", "2: 'add' takes 3 operands, not 2"},
        {"ps_3_0\nmov r0.yx, r1", "2: bad write mask 'yx'"},
        {"ps_3_0\nmov r0, r1.xq", "2: bad swizzle 'xq'"},
        {"ps_3_0\nfrob r0, r1", "2: unknown instruction 'frob'"},
        {"ps_3_0\nmov r0, q1", "2: bad register 'q1'"},
        {"ps_3_0\ndcl_2d v0", "2: unknown declaration usage '2d'"},
        {"ps_3_0\ndcl_texcoord0 s0", "2: dcl of a sampler needs _2d, _cube or _volume"},
        {"ps_3_0\ndef c0, 1, 2, x, 4", "2: bad value 'x' for def"},
        {"ps_3_0\nbreak", "2: break outside rep or loop"},
        {"ps_3_0\nendif", "2: endif without its opening instruction"},
        {"ps_3_0\nrep i0\nif b0\nendrep", "4: endrep without its opening instruction\n4: missing endif"},
        {"ps_3_0\nif b0\nmov r0, r1", "3: missing endif"},
        {"mov r0, r1", "1: expected the shader version (vs_3_0 or ps_3_0) before 'mov r0, r1'"},
        {"", "1: no shader version (vs_3_0 or ps_3_0)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AssembleErrors(c.text), c.error) << c.text;
}

TEST(ShaderAssembler, ReportsEveryBadLineOnTheLinesTheTextNames)
{
    const std::string errors = AssembleErrors("ps_3_0\nmov r0, r1\nfoo\n#line 40\nmov r0\nmov r0, c999\n");
    EXPECT_EQ(errors, "3: unknown instruction 'foo'\n40: 'mov' takes 2 operands, not 1\n"
                      "41: register c999 out of range (c0 to c223)");
}

// Whatever the text, the assembler answers: tokens framed by version and end, or errors as
// "line: message" lines and no tokens.
TEST(ShaderAssembler, SurvivesHostileText)
{
    const std::string valid = "vs_3_0\ndcl_position v0\nmova a0.x, v0.x\nmad_sat r0.xy, -v0_abs.yx, c[a0.x + 2], "
                              "c7\nloop aL, i3\nadd o1, r0, c[aL + 1]\nbreak_lt r0.x, c0.x\nendloop\n"
                              "def c9, 1e38, -0, 0.5f, 3\n";
    std::mt19937 random(1234);
    const std::string alphabet = "vpsc_0123456789.,-+[]aLxyzw \n#/!oCr";
    for (int round = 0; round < 3000; ++round)
    {
        std::string text = valid;
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits; ++e)
        {
            const std::size_t at = random() % (text.size() + 1);
            switch (random() % 4)
            {
            case 0: text.insert(at, 1, alphabet[random() % alphabet.size()]); break;
            case 1: if (at < text.size()) text.erase(at, 1 + random() % 6); break;
            case 2: if (at < text.size()) text[at] = static_cast<char>(random() % 256); break;
            default: text.insert(at, std::string(random() % 40, '9')); break;
            }
        }
        Tokens tokens;
        std::string errors;
        if (CShaderAssembler::Assemble(text, tokens, errors))
        {
            ASSERT_GE(tokens.size(), 2u) << text;
            EXPECT_EQ(tokens.front(), CShaderAssembler::kVertexVersion30) << text;
            EXPECT_EQ(tokens.back(), CShaderAssembler::kEndToken) << text;
            continue;
        }
        ASSERT_TRUE(tokens.empty()) << text;
        std::size_t start = 0;
        while (start < errors.size())
        {
            const std::size_t end = std::min(errors.find('\n', start), errors.size());
            const std::string line = errors.substr(start, end - start);
            const std::size_t colon = line.find(": ");
            ASSERT_TRUE(colon != std::string::npos && colon > 0 &&
                        line.find_first_not_of("0123456789") == colon) << line;
            start = end + 1;
        }
    }
}

} // namespace
} // namespace Tess
