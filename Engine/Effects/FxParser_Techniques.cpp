#include "Engine/Effects/FxParser.h"

#include "Engine/Effects/FxStateNames.h"

namespace Tess
{

// `glsl Name { }` or `asm9 Name { }`: the two forms of one block share its name, in either order.
bool CFxParser::ParseBlock(bool assembly)
{
    const char* const kind = assembly ? "assembly block" : "GLSL block";
    if (!assembly && m_document.blocks.size() >= kMaxBlocks)
        return m_lexer.Fail(m_lexer.Line(), "too many GLSL blocks");
    FxCodeBlock block;
    if (!m_lexer.ExpectIdentifier(block.name, assembly ? "a name for the assembly block" : "a name for the GLSL block"))
        return false;
    const int line = m_lexer.Line();
    if (!CheckName(block.name, line, kind))
        return false;
    FxCodeBlock* existing = nullptr;
    for (FxCodeBlock& other : m_document.blocks)
    {
        if (other.name == block.name)
            existing = &other;
    }
    if (existing != nullptr && (assembly ? existing->hasAsm9 : existing->hasGlsl))
        return m_lexer.Fail(line, std::string(assembly ? "assembly" : "GLSL") + " block '" + block.name + "' is already defined");
    if (existing == nullptr && m_document.blocks.size() >= kMaxBlocks)
        return m_lexer.Fail(line, "too many code blocks");
    if (!m_lexer.ReadCodeBlock(block))
        return false;
    if (existing == nullptr)
    {
        m_document.blocks.emplace_back().name = block.name;
        existing = &m_document.blocks.back();
        existing->hasGlsl = false;
    }
    if (assembly)
    {
        existing->asm9Code = std::move(block.code);
        existing->asm9FirstLine = block.firstLine;
        existing->hasAsm9 = true;
    }
    else
    {
        existing->code = std::move(block.code);
        existing->firstLine = block.firstLine;
        existing->hasGlsl = true;
    }
    return true;
}

bool CFxParser::ParseTechnique()
{
    if (m_document.techniques.size() >= kMaxTechniques)
        return m_lexer.Fail(m_lexer.Line(), "too many techniques");
    FxTechnique technique;
    FxToken token;
    if (!m_lexer.Peek(token))
        return false;
    technique.line = token.line;
    if (token.kind == EFxTokenKind::Identifier)
    {
        technique.name.assign(token.text);
        m_lexer.Next(token);
        for (const FxTechnique& other : m_document.techniques)
        {
            if (other.name == technique.name)
                return m_lexer.Fail(technique.line, "technique '" + technique.name + "' is already defined");
        }
    }
    if (!m_lexer.Expect("{"))
        return false;
    m_document.techniques.push_back(std::move(technique));
    FxTechnique& added = m_document.techniques.back();
    while (!m_lexer.Accept("}"))
    {
        if (!m_lexer.Next(token))
            return false;
        if (token.kind != EFxTokenKind::Identifier || token.text != "pass")
            return m_lexer.Fail(token.line, "expected 'pass' or '}' but found " +
                                        CFxLexer::Describe(token));
        if (!ParsePass(added))
            return false;
    }
    if (added.passes.empty())
        return m_lexer.Fail(added.line, "technique '" + added.name + "' has no pass");
    return true;
}

bool CFxParser::ParsePass(FxTechnique& technique)
{
    if (technique.passes.size() >= kMaxPasses)
        return m_lexer.Fail(m_lexer.Line(), "too many passes in technique '" + technique.name + "'");
    FxPass pass;
    FxToken token;
    if (!m_lexer.Peek(token))
        return false;
    pass.line = token.line;
    if (token.kind == EFxTokenKind::Identifier)
    {
        pass.name.assign(token.text);
        m_lexer.Next(token);
    }
    if (!m_lexer.Expect("{"))
        return false;
    technique.passes.push_back(std::move(pass));
    while (!m_lexer.Accept("}"))
    {
        if (!m_lexer.Next(token))
            return false;
        if (token.kind != EFxTokenKind::Identifier)
            return m_lexer.Fail(token.line, "expected a state or '}' but found " +
                                        CFxLexer::Describe(token));
        if (!ParsePassAssignment(technique.passes.back(), token))
            return false;
    }
    return true;
}

bool CFxParser::ParsePassAssignment(FxPass& pass, const FxToken& name)
{
    if (FxNamesEqual(name.text, "VertexShader") || FxNamesEqual(name.text, "PixelShader"))
        return m_lexer.Expect("=") && ParseStageList(pass, FxNamesEqual(name.text, "VertexShader"), name.line);

    const FxStateName* state = FindFxStateName(name.text, EFxStateTarget::Render);
    if (state == nullptr)
        state = FindFxStateName(name.text, EFxStateTarget::TextureStage);
    if (state == nullptr)
        return m_lexer.Fail(name.line, "unknown pass state '" + std::string(name.text) + "'");
    if (pass.states.size() >= kMaxStatesPerPass)
        return m_lexer.Fail(name.line, "too many states in one pass");
    FxState entry;
    entry.target = state->target;
    entry.state = state->state;
    entry.line = name.line;
    if (state->target == EFxStateTarget::TextureStage && m_lexer.Accept("["))
    {
        FxToken index;
        if (!m_lexer.Next(index) || !ParseUnsigned(index, entry.stage))
            return false;
        if (entry.stage >= 16)
            return m_lexer.Fail(index.line, "texture stage must be between 0 and 15");
        if (!m_lexer.Expect("]"))
            return false;
    }
    if (!m_lexer.Expect("=") || !ParseStateValue(*state, entry.value) || !m_lexer.Expect(";"))
        return false;
    pass.states.push_back(entry);
    return true;
}

bool CFxParser::ParseStageList(FxPass& pass, bool vertex, int line)
{
    PendingStage pending;
    pending.technique = static_cast<std::uint32_t>(m_document.techniques.size() - 1);
    pending.pass = static_cast<std::uint32_t>(m_document.techniques.back().passes.size() - 1);
    pending.vertex = vertex;
    pending.line = line;
    (void)pass;
    do
    {
        std::string blockName;
        if (!m_lexer.ExpectIdentifier(blockName, "the name of a GLSL block"))
            return false;
        if (blockName == "null" || blockName == "NULL")
        {
            if (!pending.names.empty())
                return m_lexer.Fail(line, "'null' cannot be combined with GLSL blocks");
            break;
        }
        if (pending.names.size() >= kMaxBlocksPerStage)
            return m_lexer.Fail(line, "too many GLSL blocks in one stage");
        pending.names.push_back(std::move(blockName));
    } while (m_lexer.Accept(","));
    if (!m_lexer.Expect(";"))
        return false;
    for (PendingStage& earlier : m_pendingStages)
    {
        // A later assignment of the same stage in the same pass replaces the earlier one.
        if (earlier.technique == pending.technique && earlier.pass == pending.pass && earlier.vertex == vertex)
        {
            earlier = std::move(pending);
            return true;
        }
    }
    m_pendingStages.push_back(std::move(pending));
    return true;
}

bool CFxParser::ResolveStages()
{
    std::size_t stageCodeBytes = 0;
    for (const PendingStage& pending : m_pendingStages)
    {
        FxPass& pass = m_document.techniques[pending.technique].passes[pending.pass];
        std::vector<std::uint32_t>& blocks = pending.vertex ? pass.vertexBlocks : pass.pixelBlocks;
        blocks.clear();
        for (const std::string& name : pending.names)
        {
            std::uint32_t found = 0;
            while (found < m_document.blocks.size() && m_document.blocks[found].name != name)
                ++found;
            if (found == m_document.blocks.size())
                return m_lexer.Fail(pending.line, "no GLSL block is named '" + name + "'");
            blocks.push_back(found);
            stageCodeBytes += m_document.blocks[found].code.size() + m_document.blocks[found].asm9Code.size();
            if (stageCodeBytes > kMaxStageCodeBytes)
                return m_lexer.Fail(pending.line, "the passes name more than " + std::to_string(kMaxStageCodeBytes) +
                                              " bytes of GLSL code in all");
        }
    }
    return true;
}

} // namespace Tess
