#include "Engine/Effects/ShaderAssembly.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>

namespace Tess::Sm3
{
namespace
{

constexpr RegisterKind kRegisterKinds[] = {
    {"r", kTemp, 32, 32, true, true, 0},          {"v", kInput, 16, 10, false, true, 0},
    {"c", kConst, 256, 224, false, true, 0},      {"a", kAddress, 1, 0, true, true, 0},
    {"o", kOutput, 12, 0, true, true, 0},         {"i", kConstInt, 16, 16, false, true, 0},
    {"oC", kColorOut, 0, 4, true, true, 0},       {"oDepth", kDepthOut, 0, 1, true, false, 0},
    {"s", kSampler, 4, 16, false, true, 0},       {"b", kConstBool, 16, 16, false, true, 0},
    {"aL", kLoop, 1, 1, false, false, 0},         {"vPos", kMisc, 0, 1, false, false, 0},
    {"vFace", kMisc, 0, 1, false, false, 1},      {"l", kLabel, 2048, 2048, false, true, 0},
    {"p", kPredicate, 1, 1, true, true, 0},
};

constexpr const char* kUsages[] = {"position", "blendweight", "blendindices", "normal", "psize",
                                   "texcoord", "tangent", "binormal", "tessfactor", "positiont",
                                   "color", "fog", "depth", "sample"};

int ComponentIndex(char c)
{
    switch (c)
    {
    case 'x': case 'r': return 0;
    case 'y': case 'g': return 1;
    case 'z': case 'b': return 2;
    case 'w': case 'a': return 3;
    default: return -1;
    }
}

bool ParseFloat(std::string_view s, float& value)
{
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    if (!s.empty() && s.back() == 'f')
        s.remove_suffix(1);
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    return !s.empty() && error == std::errc() && end == s.data() + s.size() && std::isfinite(value);
}

bool ParseInt(std::string_view s, std::int32_t& value)
{
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    return !s.empty() && error == std::errc() && end == s.data() + s.size();
}

} // namespace

std::string_view CShaderAssembly::Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool CShaderAssembly::ReadCount(std::string_view& s, std::uint32_t& value)
{
    std::size_t n = 0;
    value = 0;
    while (n < s.size() && IsDigit(s[n]))
    {
        if (n == 9)
            return false;
        value = value * 10 + static_cast<std::uint32_t>(s[n] - '0');
        ++n;
    }
    s.remove_prefix(n);
    return n > 0;
}

bool CShaderAssembly::ParseRegister(std::string_view& s, Operand& out, bool destination)
{
    std::size_t letters = 0;
    while (letters < s.size() && IsLetter(s[letters]))
        ++letters;
    const std::string_view name = s.substr(0, letters);
    out.kind = nullptr;
    for (const RegisterKind& kind : kRegisterKinds)
    {
        if (name == kind.name)
            out.kind = &kind;
    }
    if (out.kind == nullptr)
        return Fail("bad register '" + std::string(s) + "'");
    s.remove_prefix(letters);
    const std::uint32_t count = m_vertex ? out.kind->vertexCount : out.kind->pixelCount;
    if (count == 0)
        return Fail(std::string("register ") + out.kind->name + " does not exist in " + (m_vertex ? "vs_3_0" : "ps_3_0"));
    out.number = out.kind->fixedNumber;
    const bool hasNumber = !s.empty() && IsDigit(s.front());
    if (hasNumber && (!out.kind->numbered || !ReadCount(s, out.number)))
        return Fail("bad register number");
    if (!s.empty() && s.front() == '[')
    {
        const std::size_t close = s.find(']');
        if (close == std::string_view::npos || !ParseRelative(s.substr(1, close - 1), out))
            return Fail("bad relative address");
        s.remove_prefix(close + 1);
    }
    else if (out.kind->numbered && !hasNumber)
        return Fail(std::string("register ") + out.kind->name + " without a number");
    if (out.number >= count)
        return Fail(std::string("register ") + out.kind->name + std::to_string(out.number) + " out of range (" +
                    out.kind->name + "0 to " + out.kind->name + std::to_string(count - 1) + ")");
    if (out.relative)
    {
        // Constants are read through a0 or aL; vs_3_0 outputs and ps_3_0 inputs through aL only.
        const bool loopOnly = out.kind->type == kOutput || out.kind->type == kInput;
        const bool allowed = (out.kind->type == kConst && !destination) ||
                             (out.kind->type == kOutput && destination) ||
                             (out.kind->type == kInput && !destination && !m_vertex);
        if (!allowed || (loopOnly && out.relativeToken != RegisterBits(kLoop, 0) + (kNoSwizzle << 16)))
            return Fail(std::string("register ") + out.kind->name + " cannot be addressed relatively here");
    }
    return true;
}

// "a0.x + 4", "4 + a0.x", "a0.x", "aL + 2": one address register and at most one offset.
bool CShaderAssembly::ParseRelative(std::string_view inside, Operand& out)
{
    bool haveAddress = false;
    bool haveOffset = false;
    while (true)
    {
        const std::size_t plus = inside.find('+');
        std::string_view term = Trim(inside.substr(0, plus));
        std::uint32_t offset = 0;
        if (!term.empty() && IsDigit(term.front()))
        {
            if (haveOffset || !ReadCount(term, offset) || !term.empty() || offset > 0x7FF)
                return false;
            out.number += offset;
            haveOffset = true;
        }
        else if (!haveAddress && term == "aL")
        {
            out.relativeToken = RegisterBits(kLoop, 0) | (kNoSwizzle << 16);
            haveAddress = true;
        }
        else if (!haveAddress && term.size() == 4 && term.substr(0, 3) == "a0." && ComponentIndex(term[3]) >= 0)
        {
            // The component is replicated over the swizzle: .x reads a0.xxxx.
            const std::uint32_t c = static_cast<std::uint32_t>(ComponentIndex(term[3]));
            out.relativeToken = RegisterBits(kAddress, 0) | ((c | c << 2 | c << 4 | c << 6) << 16);
            haveAddress = true;
        }
        else
            return false;
        if (plus == std::string_view::npos)
            break;
        inside.remove_prefix(plus + 1);
    }
    out.relative = haveAddress;
    return haveAddress && (m_vertex || out.relativeToken == (RegisterBits(kLoop, 0) | (kNoSwizzle << 16)));
}

bool CShaderAssembly::ParseSource(std::string_view s, Operand& out)
{
    if (!s.empty() && (s.front() == '-' || s.front() == '!'))
    {
        out.modifier = s.front() == '-' ? kModifierNegate : kModifierNot;
        s = Trim(s.substr(1));
    }
    if (!ParseRegister(s, out, false))
        return false;
    if (s.rfind("_abs", 0) == 0)
    {
        if (out.modifier == kModifierNot)
            return Fail("'!' and _abs together");
        out.modifier = out.modifier == kModifierNegate ? kModifierAbsNegate : kModifierAbs;
        s.remove_prefix(4);
    }
    if (!s.empty() && s.front() == '.')
    {
        s.remove_prefix(1);
        if (s.empty() || s.size() > 4)
            return Fail("bad swizzle");
        out.swizzle = 0;
        for (std::size_t i = 0; i < 4; ++i)
        {
            const int c = ComponentIndex(s[std::min(i, s.size() - 1)]);
            if (c < 0)
                return Fail("bad swizzle '" + std::string(s) + "'");
            out.swizzle |= static_cast<std::uint32_t>(c) << (2 * i);
        }
        s = {};
    }
    if (!s.empty())
        return Fail("unexpected '" + std::string(s) + "' after a register");
    return true;
}

bool CShaderAssembly::ParseDestination(std::string_view s, Operand& out)
{
    if (!ParseRegister(s, out, true))
        return false;
    if (!s.empty() && s.front() == '.')
    {
        s.remove_prefix(1);
        out.mask = 0;
        int previous = -1;
        for (char c : s)
        {
            const int index = ComponentIndex(c);
            // A write mask names components in order, each once.
            if (index <= previous)
                return Fail("bad write mask '" + std::string(s) + "'");
            out.mask |= 1u << index;
            previous = index;
        }
        if (out.mask == 0)
            return Fail("empty write mask");
        s = {};
    }
    if (!s.empty())
        return Fail("unexpected '" + std::string(s) + "' after a register");
    return true;
}

std::uint32_t CShaderAssembly::SourceToken(const Operand& operand) const
{
    return RegisterBits(operand.kind->type, operand.number) | (operand.swizzle << 16) | (operand.modifier << 24) |
           (operand.relative ? kRelativeBit : 0);
}

std::uint32_t CShaderAssembly::DestinationToken(const Operand& operand, std::uint32_t resultModifier) const
{
    return RegisterBits(operand.kind->type, operand.number) | (operand.mask << 16) | (resultModifier << 20) |
           (operand.relative ? kRelativeBit : 0);
}

void CShaderAssembly::Emit(const std::vector<std::uint32_t>& instruction)
{
    m_tokens.insert(m_tokens.end(), instruction.begin(), instruction.end());
}

void CShaderAssembly::Declaration(const InstructionInfo& info, std::string_view usage, std::uint32_t resultModifier,
                            const std::vector<std::string_view>& operands)
{
    Operand reg;
    if (operands.size() != 1)
    {
        Fail("dcl takes 1 operand, not " + std::to_string(operands.size()));
        return;
    }
    if (!ParseDestination(operands[0], reg))
        return;
    std::uint32_t declaration = 0x80000000u;
    if (reg.kind->type == kSampler)
    {
        const std::uint32_t textureType = usage == "2d" ? 2 : usage == "cube" ? 3 : usage == "volume" ? 4 : 0;
        if (textureType == 0)
        {
            Fail("dcl of a sampler needs _2d, _cube or _volume");
            return;
        }
        declaration |= textureType << 27;
    }
    else if (reg.kind->type == kInput || reg.kind->type == kOutput)
    {
        std::size_t letters = 0;
        while (letters < usage.size() && IsLetter(usage[letters]))
            ++letters;
        std::uint32_t u = 0;
        while (u < std::size(kUsages) && usage.substr(0, letters) != kUsages[u])
            ++u;
        std::string_view digits = usage.substr(letters);
        std::uint32_t index = 0;
        if (u == std::size(kUsages) || (!digits.empty() && (!ReadCount(digits, index) || !digits.empty() || index > 15)))
        {
            Fail("unknown declaration usage '" + std::string(usage) + "'");
            return;
        }
        declaration |= u | (index << 16);
    }
    else if (reg.kind->type != kMisc || !usage.empty())
    {
        Fail(std::string("register ") + reg.kind->name + " cannot be declared" + (usage.empty() ? "" : " with a usage"));
        return;
    }
    // Sampler declarations carry their register as a destination with the full mask.
    Emit({info.opcode | (2u << 24), declaration, DestinationToken(reg, resultModifier)});
}

// def c, f, f, f, f / defi i, n, n, n, n / defb b, true: the register, then the raw values.
void CShaderAssembly::Definition(const InstructionInfo& info, const std::vector<std::string_view>& operands)
{
    const std::uint32_t registerType = info.form == EForm::Def ? kConst : info.form == EForm::DefI ? kConstInt : kConstBool;
    const std::size_t values = info.form == EForm::DefB ? 1 : 4;
    if (operands.size() != values + 1)
    {
        Fail(std::string(info.name) + " takes " + std::to_string(values + 1) + " operands, not " +
             std::to_string(operands.size()));
        return;
    }
    Operand reg;
    if (!ParseDestination(operands[0], reg))
        return;
    if (reg.kind->type != registerType || reg.relative || reg.mask != 0xF)
    {
        Fail(std::string(info.name) + " defines a whole " + (registerType == kConst ? "c" : registerType == kConstInt ? "i" : "b") +
             " register");
        return;
    }
    std::vector<std::uint32_t> words = {info.opcode | (static_cast<std::uint32_t>(values + 1) << 24),
                                        DestinationToken(reg, 0)};
    for (std::size_t i = 1; i <= values; ++i)
    {
        std::uint32_t word = 0;
        float f = 0.0f;
        std::int32_t n = 0;
        if (info.form == EForm::Def && ParseFloat(operands[i], f))
            std::memcpy(&word, &f, sizeof(word));
        else if (info.form == EForm::DefI && ParseInt(operands[i], n))
            word = static_cast<std::uint32_t>(n);
        else if (info.form == EForm::DefB && (operands[i] == "true" || operands[i] == "false"))
            word = operands[i] == "true" ? 1u : 0u;
        else
        {
            Fail("bad value '" + std::string(operands[i]) + "' for " + info.name);
            return;
        }
        words.push_back(word);
    }
    Emit(words);
}

} // namespace Tess::Sm3
