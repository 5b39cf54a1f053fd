#pragma once
// CShaderAssembly: one run of CShaderAssembler over a text (ShaderAssembler.h), with the
// register and instruction tables of vs_3_0 and ps_3_0 it reads the text by. Internal to the
// assembler: ShaderAssembly.cpp reads lines and instructions, ShaderAssembly_Operands.cpp
// registers, declarations and definitions.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Tess::Sm3
{

enum RegisterType : std::uint32_t
{
    kTemp = 0, kInput = 1, kConst = 2, kAddress = 3, kOutput = 6, kConstInt = 7, kColorOut = 8,
    kDepthOut = 9, kSampler = 10, kConstBool = 14, kLoop = 15, kMisc = 17, kLabel = 18, kPredicate = 19,
};

struct RegisterKind
{
    const char* name;
    std::uint32_t type;
    // How many registers of the kind each version has; 0: the version has none.
    std::uint32_t vertexCount;
    std::uint32_t pixelCount;
    bool writable;
    // Named registers (oDepth, aL, vPos, vFace) carry no number in the text.
    bool numbered;
    std::uint32_t fixedNumber;
};

// Register type over bits 28-30 and 11-12, register number in bits 0-10, bit 31 set.
inline std::uint32_t RegisterBits(std::uint32_t type, std::uint32_t number)
{
    return 0x80000000u | ((type & 7u) << 28) | ((type & 0x18u) << 8) | (number & 0x7FFu);
}

constexpr std::uint32_t kRelativeBit = 1u << 13;
constexpr std::uint32_t kNoSwizzle = 0xE4; // x y z w
constexpr std::uint32_t kModifierNegate = 1, kModifierAbs = 11, kModifierAbsNegate = 12, kModifierNot = 13;
constexpr std::uint32_t kResultSaturate = 1, kResultPartial = 2, kResultCentroid = 4;

struct Operand
{
    const RegisterKind* kind = nullptr;
    std::uint32_t number = 0;
    std::uint32_t swizzle = kNoSwizzle;
    std::uint32_t mask = 0xF;
    std::uint32_t modifier = 0;
    bool relative = false;
    std::uint32_t relativeToken = 0;
};

enum class EForm : std::uint8_t { Plain, Dcl, Def, DefI, DefB };
enum EStage : std::uint8_t { kVertexOnly = 1, kPixelOnly = 2, kBoth = 3 };
// Operands some instructions insist on.
enum class ECheck : std::uint8_t { None, Sampler, Loop, Rep, IfBool, Mova, Label, CallNz };

struct InstructionInfo
{
    const char* name;
    std::uint16_t opcode;
    std::uint8_t destinations;
    std::uint8_t sources;
    std::uint8_t stages;
    bool comparison; // written with a suffix _gt, _lt ...
    std::uint8_t control;
    EForm form;
    ECheck check;
};

class CShaderAssembly
{
public:
    bool Run(const std::string& text, std::vector<std::uint32_t>& tokens, std::string& errors);

    static std::string_view Trim(std::string_view s);
    static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    // A whole number of at most nine digits at the front of `s`, consumed.
    static bool ReadCount(std::string_view& s, std::uint32_t& value);

private:
    void Line(std::string_view line);
    bool Version(std::string_view line);
    void Instruction(std::string_view mnemonic, std::string_view rest);
    void Declaration(const InstructionInfo& info, std::string_view usage, std::uint32_t resultModifier,
                     const std::vector<std::string_view>& operands);
    void Definition(const InstructionInfo& info, const std::vector<std::string_view>& operands);
    bool CheckOperands(const InstructionInfo& info, const std::vector<Operand>& operands);
    bool Nest(const InstructionInfo& info);

    bool ParseRegister(std::string_view& s, Operand& out, bool destination);
    bool ParseRelative(std::string_view inside, Operand& out);
    bool ParseSource(std::string_view s, Operand& out);
    bool ParseDestination(std::string_view s, Operand& out);
    std::uint32_t SourceToken(const Operand& operand) const;
    std::uint32_t DestinationToken(const Operand& operand, std::uint32_t resultModifier) const;
    void Emit(const std::vector<std::uint32_t>& instruction);
    bool Fail(const std::string& message);

    std::vector<std::uint32_t> m_tokens;
    std::string m_errors;
    int m_errorCount = 0;
    int m_line = 0;
    bool m_vertex = false;
    bool m_haveVersion = false;
    // Open flow-control blocks: the opcode that opened each (if, rep, loop); else marks its if.
    std::vector<std::uint32_t> m_blocks;
};

} // namespace Tess::Sm3
