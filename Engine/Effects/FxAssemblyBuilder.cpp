#include "Engine/Effects/FxAssemblyBuilder.h"

#include <set>
#include <sstream>
#include <string_view>

namespace Tess
{
namespace
{

bool IsNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsNameChar(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The registers of one parameter reference.
struct Index
{
    std::uint32_t offset = 0;
    std::string address; // "a0.x", "aL" or empty
};

// "2", "a0.x", "a0.x + 2", "2 + aL": at most one address register and one whole number.
bool ParseIndex(std::string_view text, Index& out)
{
    bool haveOffset = false;
    while (true)
    {
        const std::size_t plus = text.find('+');
        const std::string_view term = Trim(text.substr(0, plus));
        if (!term.empty() && term.size() <= 4 && term.find_first_not_of("0123456789") == std::string_view::npos &&
            !haveOffset)
        {
            out.offset = static_cast<std::uint32_t>(std::stoul(std::string(term)));
            haveOffset = true;
        }
        else if (out.address.empty() && (term == "aL" || term == "a0.x" || term == "a0.y" || term == "a0.z" ||
                                         term == "a0.w"))
            out.address = std::string(term);
        else
            return false;
        if (plus == std::string_view::npos)
            return true;
        text.remove_prefix(plus + 1);
    }
}

// Replaces the parameter names of one block's assembly; collects the parameters it reads.
class CResolver
{
public:
    CResolver(const FxDocument& document, const std::vector<FxParameterLayout>& layout, bool vertex,
              const std::string& fileName)
        : m_document(document), m_layout(layout), m_vertex(vertex), m_fileName(fileName)
    {
    }

    bool Resolve(std::string_view code, int firstLine, std::string& out);
    std::set<std::uint32_t> parameters;
    std::set<std::uint32_t> textures;
    std::string errors;

private:
    bool Name(std::string_view code, std::size_t& i, std::string& out);
    bool CheckDefinition(std::string_view line);
    bool Fail(const std::string& message)
    {
        errors += (errors.empty() ? "" : "\n") + m_fileName + "(" + std::to_string(m_line) + "): error: " + message;
        return false;
    }

    const FxDocument& m_document;
    const std::vector<FxParameterLayout>& m_layout;
    bool m_vertex;
    const std::string& m_fileName;
    int m_line = 0;
};

bool CResolver::Resolve(std::string_view code, int firstLine, std::string& out)
{
    m_line = firstLine;
    bool ok = true;
    std::size_t lineStart = 0;
    std::size_t i = 0;
    while (i < code.size())
    {
        const char c = code[i];
        if (c == '\n')
        {
            ok = CheckDefinition(code.substr(lineStart, i - lineStart)) && ok;
            lineStart = i + 1;
            ++m_line;
            out += code[i++];
        }
        else if (c == '/' && i + 1 < code.size() && code[i + 1] == '/')
        {
            while (i < code.size() && code[i] != '\n')
                out += code[i++];
        }
        else if (c == '/' && i + 1 < code.size() && code[i + 1] == '*')
        {
            // The assembler knows only line comments: a block comment becomes blanks, its line
            // breaks kept so later lines keep their numbers.
            out += "  ";
            for (i += 2; i < code.size() && !(code[i] == '*' && i + 1 < code.size() && code[i + 1] == '/'); ++i)
            {
                out += code[i] == '\n' ? '\n' : ' ';
                m_line += code[i] == '\n' ? 1 : 0;
            }
            out += "  ";
            i += 2;
        }
        else if (c >= '0' && c <= '9')
        {
            while (i < code.size() && (IsNameChar(code[i]) || code[i] == '.'))
                out += code[i++];
        }
        else if (IsNameStart(c))
            ok = Name(code, i, out) && ok;
        else
            out += code[i++];
    }
    return CheckDefinition(code.substr(std::min(lineStart, code.size()))) && ok;
}

bool CResolver::Name(std::string_view code, std::size_t& i, std::string& out)
{
    const std::size_t start = i;
    while (i < code.size() && IsNameChar(code[i]))
        ++i;
    const std::string_view name = code.substr(start, i - start);
    // After a '.' a name is a swizzle or write mask, never a parameter.
    const bool afterDot = start > 0 && code[start - 1] == '.';
    std::uint32_t p = 0;
    while (p < m_document.parameters.size() && m_document.parameters[p].name != name)
        ++p;
    if (afterDot || p == m_document.parameters.size())
    {
        out += name;
        return true;
    }
    const FxParameterLayout& layout = m_layout[p];
    Index index;
    const bool indexed = i < code.size() && code[i] == '[';
    if (indexed)
    {
        const std::size_t close = code.find_first_of("]\n", i);
        if (close == std::string_view::npos || code[close] != ']' || !ParseIndex(code.substr(i + 1, close - i - 1), index))
            return Fail("bad register index after '" + std::string(name) + "'");
        i = close + 1;
    }
    if (layout.textureStage >= 0)
    {
        if (m_vertex)
            return Fail("texture '" + std::string(name) + "' cannot be sampled by the vertex stage's assembly");
        if (indexed)
            return Fail("texture '" + std::string(name) + "' is not an array");
        textures.insert(p);
        out += "s" + std::to_string(layout.textureStage);
        return true;
    }
    parameters.insert(p);
    if (index.address.empty() && index.offset >= layout.registerCount)
        return Fail("'" + std::string(name) + "[" + std::to_string(index.offset) + "]' is past the parameter's " +
                    std::to_string(layout.registerCount) + " register" + (layout.registerCount == 1 ? "" : "s"));
    const std::uint32_t first = layout.firstRegister + index.offset;
    out += index.address.empty() ? "c" + std::to_string(first) : "c[" + index.address + " + " + std::to_string(first) + "]";
    return true;
}

// A `def` writes its register in the shader itself, hiding the value the effect sets there.
bool CResolver::CheckDefinition(std::string_view line)
{
    line = Trim(line);
    if (line.substr(0, 4) != "def " && line.substr(0, 4) != "def\t")
        return true;
    const std::string_view reg = Trim(line.substr(4, line.find(',') == std::string_view::npos ? std::string_view::npos
                                                                                            : line.find(',') - 4));
    if (reg.size() < 2 || reg[0] != 'c' || reg.size() > 5 || reg.find_first_not_of("0123456789", 1) != std::string_view::npos)
        return true;
    const std::uint32_t number = static_cast<std::uint32_t>(std::stoul(std::string(reg.substr(1))));
    for (std::size_t p = 0; p < m_layout.size(); ++p)
    {
        const FxParameterLayout& layout = m_layout[p];
        if (layout.textureStage < 0 && number >= layout.firstRegister && number < layout.firstRegister + layout.registerCount)
            return Fail("'def " + std::string(reg) + "' overlaps the registers of parameter '" +
                        m_document.parameters[p].name + "'");
    }
    return true;
}

} // namespace

bool CFxAssemblyBuilder::BuildStage(const FxDocument& document, const std::vector<FxParameterLayout>& layout,
                                    const std::vector<std::uint32_t>& blocks, bool vertex, const std::string& fileName,
                                    FxStageSource& out, std::string& errors)
{
    CResolver resolver(document, layout, vertex, fileName);
    std::string code;
    for (std::uint32_t block : blocks)
    {
        const FxCodeBlock& source = document.blocks[block];
        code += "#line " + std::to_string(source.asm9FirstLine) + "\n";
        resolver.Resolve(source.asm9Code, source.asm9FirstLine, code);
        code += "\n";
    }
    if (!resolver.errors.empty())
    {
        errors = resolver.errors;
        return false;
    }
    out.parameters.assign(resolver.parameters.begin(), resolver.parameters.end());
    out.textures.assign(resolver.textures.begin(), resolver.textures.end());
    out.source = vertex ? "vs_3_0\n" : "ps_3_0\n";
    for (std::uint32_t texture : out.textures)
    {
        const bool cube = document.parameters[texture].type == EFxType::TextureCube;
        out.source += std::string(cube ? "dcl_cube s" : "dcl_2d s") + std::to_string(layout[texture].textureStage) + "\n";
    }
    out.source += code;
    errors.clear();
    return true;
}

std::string CFxAssemblyBuilder::MapAssemblerMessages(const std::string& messages, const std::string& fileName,
                                                     const std::string& context)
{
    std::string out;
    std::istringstream lines(messages);
    for (std::string text; std::getline(lines, text);)
    {
        const std::string_view line = Trim(text);
        if (line.empty())
            continue;
        out += out.empty() ? "" : "\n";
        const std::size_t colon = line.find(": ");
        const bool numbered = colon != std::string_view::npos && colon > 0 && colon <= 9 &&
                              line.find_first_not_of("0123456789") == colon;
        out += numbered ? fileName + "(" + std::string(line.substr(0, colon)) + "): error: " + std::string(line.substr(colon + 2))
                        : fileName + ": " + context + ": " + std::string(line);
    }
    return out;
}

} // namespace Tess
