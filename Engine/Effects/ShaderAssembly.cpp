#include "Engine/Effects/ShaderAssembly.h"

#include "Engine/Effects/ShaderAssembler.h"

#include <array>

namespace Tess::Sm3
{
namespace
{

constexpr InstructionInfo kInstructions[] = {
    {"nop", 0, 0, 0, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"mov", 1, 1, 1, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"add", 2, 1, 2, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"sub", 3, 1, 2, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"mad", 4, 1, 3, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"mul", 5, 1, 2, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"rcp", 6, 1, 1, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"rsq", 7, 1, 1, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"dp3", 8, 1, 2, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"dp4", 9, 1, 2, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"min", 10, 1, 2, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"max", 11, 1, 2, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"slt", 12, 1, 2, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"sge", 13, 1, 2, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"exp", 14, 1, 1, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"log", 15, 1, 1, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"lit", 16, 1, 1, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"dst", 17, 1, 2, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"lrp", 18, 1, 3, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"frc", 19, 1, 1, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"m4x4", 20, 1, 2, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"m4x3", 21, 1, 2, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"m3x4", 22, 1, 2, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"m3x3", 23, 1, 2, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"m3x2", 24, 1, 2, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"call", 25, 0, 1, kBoth, false, 0, EForm::Plain, ECheck::Label},
    {"callnz", 26, 0, 2, kBoth, false, 0, EForm::Plain, ECheck::CallNz},
    {"loop", 27, 0, 2, kBoth, false, 0, EForm::Plain, ECheck::Loop},
    {"ret", 28, 0, 0, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"endloop", 29, 0, 0, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"label", 30, 0, 1, kBoth, false, 0, EForm::Plain, ECheck::Label},
    {"dcl", 31, 1, 0, kBoth, false, 0, EForm::Dcl, ECheck::None},
    {"pow", 32, 1, 2, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"crs", 33, 1, 2, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"sgn", 34, 1, 3, kVertexOnly, false, 0, EForm::Plain, ECheck::None},
    {"abs", 35, 1, 1, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"nrm", 36, 1, 1, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"sincos", 37, 1, 1, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"rep", 38, 0, 1, kBoth, false, 0, EForm::Plain, ECheck::Rep},
    {"endrep", 39, 0, 0, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"if", 40, 0, 1, kBoth, false, 0, EForm::Plain, ECheck::IfBool},
    {"if", 41, 0, 2, kBoth, true, 0, EForm::Plain, ECheck::None},
    {"else", 42, 0, 0, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"endif", 43, 0, 0, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"break", 44, 0, 0, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"break", 45, 0, 2, kBoth, true, 0, EForm::Plain, ECheck::None},
    {"mova", 46, 1, 1, kVertexOnly, false, 0, EForm::Plain, ECheck::Mova},
    {"defb", 47, 1, 0, kBoth, false, 0, EForm::DefB, ECheck::None},
    {"defi", 48, 1, 0, kBoth, false, 0, EForm::DefI, ECheck::None},
    {"texkill", 65, 1, 0, kPixelOnly, false, 0, EForm::Plain, ECheck::None},
    {"texld", 66, 1, 2, kPixelOnly, false, 0, EForm::Plain, ECheck::Sampler},
    {"texldp", 66, 1, 2, kPixelOnly, false, 1, EForm::Plain, ECheck::Sampler},
    {"texldb", 66, 1, 2, kPixelOnly, false, 2, EForm::Plain, ECheck::Sampler},
    {"def", 81, 1, 0, kBoth, false, 0, EForm::Def, ECheck::None},
    {"cmp", 88, 1, 3, kBoth, false, 0, EForm::Plain, ECheck::None},
    {"dp2add", 90, 1, 3, kPixelOnly, false, 0, EForm::Plain, ECheck::None},
    {"dsx", 91, 1, 1, kPixelOnly, false, 0, EForm::Plain, ECheck::None},
    {"dsy", 92, 1, 1, kPixelOnly, false, 0, EForm::Plain, ECheck::None},
    {"texldd", 93, 1, 4, kPixelOnly, false, 0, EForm::Plain, ECheck::Sampler},
    {"setp", 94, 1, 2, kBoth, true, 0, EForm::Plain, ECheck::None},
    {"texldl", 95, 1, 2, kBoth, false, 0, EForm::Plain, ECheck::Sampler},
    {"breakp", 96, 0, 1, kBoth, false, 0, EForm::Plain, ECheck::None},
};

constexpr std::array<const char*, 6> kComparisons = {"gt", "eq", "ge", "lt", "ne", "le"}; // 1 .. 6

// Nesting limits of vs_3_0 and ps_3_0.
constexpr std::size_t kMaxLoopNesting = 4;
constexpr std::size_t kMaxIfNesting = 24;
constexpr int kMaxErrors = 50;

std::vector<std::string_view> SplitOperands(std::string_view rest)
{
    std::vector<std::string_view> operands;
    if (rest.empty())
        return operands;
    while (true)
    {
        const std::size_t comma = rest.find(',');
        operands.push_back(CShaderAssembly::Trim(rest.substr(0, comma)));
        if (comma == std::string_view::npos)
            return operands;
        rest.remove_prefix(comma + 1);
    }
}

} // namespace

bool CShaderAssembly::Fail(const std::string& message)
{
    if (m_errorCount < kMaxErrors)
        m_errors += std::to_string(m_line) + ": " + message + "\n";
    else if (m_errorCount == kMaxErrors)
        m_errors += std::to_string(m_line) + ": too many errors, stopped reporting\n";
    ++m_errorCount;
    return false;
}

bool CShaderAssembly::Run(const std::string& text, std::vector<std::uint32_t>& tokens, std::string& errors)
{
    tokens.clear();
    std::size_t start = 0;
    while (start <= text.size())
    {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        ++m_line;
        Line(std::string_view(text).substr(start, end - start));
        start = end + 1;
    }
    if (!m_haveVersion && m_errorCount == 0)
        Fail("no shader version (vs_3_0 or ps_3_0)");
    else if (!m_blocks.empty())
        Fail(std::string("missing ") + (m_blocks.back() == 38 ? "endrep" : m_blocks.back() == 27 ? "endloop" : "endif"));
    if (m_errorCount > 0)
    {
        m_errors.pop_back();
        errors = m_errors;
        return false;
    }
    m_tokens.push_back(CShaderAssembler::kEndToken);
    tokens = std::move(m_tokens);
    errors.clear();
    return true;
}

void CShaderAssembly::Line(std::string_view line)
{
    if (const std::size_t comment = line.find("//"); comment != std::string_view::npos)
        line = line.substr(0, comment);
    line = Trim(line);
    if (line.empty())
        return;
    if (line.rfind("#line", 0) == 0)
    {
        std::string_view number = Trim(line.substr(5));
        std::uint32_t value = 0;
        if (!ReadCount(number, value) || !number.empty() || value == 0)
            Fail("bad #line directive");
        else
            m_line = static_cast<int>(value) - 1;
        return;
    }
    if (!m_haveVersion)
    {
        if (!Version(line))
            Fail("expected the shader version (vs_3_0 or ps_3_0) before '" + std::string(line) + "'");
        return;
    }
    std::size_t split = 0;
    while (split < line.size() && line[split] != ' ' && line[split] != '\t')
        ++split;
    Instruction(line.substr(0, split), Trim(line.substr(split)));
}

bool CShaderAssembly::Version(std::string_view line)
{
    if (line != "vs_3_0" && line != "ps_3_0")
        return false;
    m_vertex = line[0] == 'v';
    m_haveVersion = true;
    m_tokens.push_back(m_vertex ? CShaderAssembler::kVertexVersion30 : CShaderAssembler::kPixelVersion30);
    return true;
}

void CShaderAssembly::Instruction(std::string_view mnemonic, std::string_view rest)
{
    // "mad_sat_pp": the name, then a comparison, a declaration's usage or result modifiers.
    const std::size_t underscore = mnemonic.find('_');
    std::string base(mnemonic.substr(0, underscore));
    for (char& c : base)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    std::uint32_t comparison = 0;
    std::uint32_t resultModifier = 0;
    std::string_view usage;
    std::string_view suffixes = underscore == std::string_view::npos ? std::string_view() : mnemonic.substr(underscore + 1);
    while (!suffixes.empty())
    {
        const std::size_t next = suffixes.find('_');
        const std::string_view suffix = suffixes.substr(0, next);
        suffixes = next == std::string_view::npos ? std::string_view() : suffixes.substr(next + 1);
        std::uint32_t c = 0;
        while (c < kComparisons.size() && suffix != kComparisons[c])
            ++c;
        if (suffix == "sat")
            resultModifier |= kResultSaturate;
        else if (suffix == "pp")
            resultModifier |= kResultPartial;
        else if (suffix == "centroid")
            resultModifier |= kResultCentroid;
        else if (c < kComparisons.size() && comparison == 0 && base != "dcl")
            comparison = c + 1;
        else if (base == "dcl" && usage.empty())
            usage = suffix;
        else
        {
            Fail("unknown instruction '" + std::string(mnemonic) + "'");
            return;
        }
    }
    const InstructionInfo* info = nullptr;
    for (const InstructionInfo& candidate : kInstructions)
    {
        if (base == candidate.name && (comparison != 0) == candidate.comparison)
            info = &candidate;
    }
    if (info == nullptr)
    {
        Fail("unknown instruction '" + std::string(mnemonic) + "'");
        return;
    }
    if ((info->stages & (m_vertex ? kVertexOnly : kPixelOnly)) == 0)
    {
        Fail("'" + base + "' is not available in " + (m_vertex ? "vs_3_0" : "ps_3_0"));
        return;
    }
    const std::vector<std::string_view> operands = SplitOperands(rest);
    if (info->form == EForm::Dcl)
    {
        Declaration(*info, usage, resultModifier, operands);
        return;
    }
    if (info->form != EForm::Plain)
    {
        Definition(*info, operands);
        return;
    }
    if (operands.size() != std::size_t(info->destinations) + info->sources)
    {
        Fail("'" + base + "' takes " + std::to_string(info->destinations + info->sources) + " operands, not " +
             std::to_string(operands.size()));
        return;
    }
    if (resultModifier != 0 && info->destinations == 0)
    {
        Fail("'" + base + "' takes no result modifier");
        return;
    }
    std::vector<Operand> parsed(operands.size());
    bool ok = true;
    for (std::size_t i = 0; i < operands.size(); ++i)
        ok = (i < info->destinations ? ParseDestination(operands[i], parsed[i]) : ParseSource(operands[i], parsed[i])) && ok;
    if (!ok || !CheckOperands(*info, parsed) || !Nest(*info))
        return;

    std::vector<std::uint32_t> words(1);
    for (std::size_t i = 0; i < parsed.size(); ++i)
    {
        words.push_back(i < info->destinations ? DestinationToken(parsed[i], resultModifier) : SourceToken(parsed[i]));
        if (parsed[i].relative)
            words.push_back(parsed[i].relativeToken);
    }
    // Shader model 3 counts the tokens that follow the instruction token in bits 24-27.
    words[0] = info->opcode | ((comparison | info->control) << 16) | (static_cast<std::uint32_t>(words.size() - 1) << 24);
    Emit(words);
}

bool CShaderAssembly::CheckOperands(const InstructionInfo& info, const std::vector<Operand>& operands)
{
    for (std::size_t i = 0; i < operands.size(); ++i)
    {
        const std::uint32_t type = operands[i].kind->type;
        const bool destination = i < info.destinations;
        if (destination && !operands[i].kind->writable)
            return Fail(std::string("register ") + operands[i].kind->name + " cannot be written");
        if (destination && (type == kAddress) != (info.check == ECheck::Mova))
            return Fail(type == kAddress ? "only mova writes a0" : "mova writes a0");
        const bool special = type == kSampler || type == kLabel || type == kLoop;
        if (!destination && special && info.check == ECheck::None)
            return Fail(std::string("register ") + operands[i].kind->name + " cannot be read by '" + info.name + "'");
    }
    // m4x4 c4 reads c4 to c7: the last row must exist too.
    if (info.opcode >= 20 && info.opcode <= 24)
    {
        constexpr std::uint32_t kRows[] = {4, 3, 4, 3, 2};
        const Operand& matrix = operands[2];
        const std::uint32_t count = m_vertex ? matrix.kind->vertexCount : matrix.kind->pixelCount;
        if (matrix.number + kRows[info.opcode - 20] > count)
            return Fail(std::string("'") + info.name + "' reads past the last " + matrix.kind->name + " register");
    }
    const auto is = [&](std::size_t i, std::uint32_t type) { return operands[i].kind->type == type; };
    switch (info.check)
    {
    case ECheck::Sampler:
        return is(2, kSampler) || Fail("'" + std::string(info.name) + "' samples an s register");
    case ECheck::Loop:
        return (is(0, kLoop) && is(1, kConstInt)) || Fail("loop takes aL and an i register");
    case ECheck::Rep:
        return is(0, kConstInt) || Fail("rep takes an i register");
    case ECheck::IfBool:
        return is(0, kConstBool) || is(0, kPredicate) || Fail("if takes a b register (or if_gt and the like)");
    case ECheck::Label:
        return is(0, kLabel) || Fail(std::string(info.name) + " takes an l register");
    case ECheck::CallNz:
        return (is(0, kLabel) && (is(1, kConstBool) || is(1, kPredicate))) || Fail("callnz takes an l and a b register");
    default:
        return true;
    }
}

// Flow control must nest: else and endif close an if, endrep a rep, endloop a loop, and break
// only happens inside a rep or loop.
bool CShaderAssembly::Nest(const InstructionInfo& info)
{
    constexpr std::uint32_t kIf = 40, kRep = 38, kLoopOp = 27, kElse = 42;
    const std::uint32_t opcode = info.opcode;
    std::size_t loops = 0, ifs = 0;
    for (std::uint32_t open : m_blocks)
        (open == kRep || open == kLoopOp ? loops : ifs) += 1;
    switch (opcode)
    {
    case 40: case 41:
        if (ifs >= kMaxIfNesting)
            return Fail("if nested too deeply");
        m_blocks.push_back(kIf);
        return true;
    case 38: case 27:
        if (loops >= kMaxLoopNesting)
            return Fail("loops nested too deeply");
        m_blocks.push_back(opcode);
        return true;
    case 42:
        if (m_blocks.empty() || m_blocks.back() != kIf)
            return Fail("else without if");
        m_blocks.back() = kElse;
        return true;
    case 43: case 39: case 29:
    {
        const bool matches = !m_blocks.empty() && (opcode == 43 ? (m_blocks.back() == kIf || m_blocks.back() == kElse)
                                                                : m_blocks.back() == (opcode == 39 ? kRep : kLoopOp));
        if (!matches)
            return Fail(std::string(info.name) + " without its opening instruction");
        m_blocks.pop_back();
        return true;
    }
    case 44: case 45: case 96:
        return loops > 0 || Fail("break outside rep or loop");
    default:
        return true;
    }
}

} // namespace Tess::Sm3
