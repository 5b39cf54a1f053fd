#include "Engine/Effects/FxShaderBuilder.h"

#include "Engine/Platform/GraphicsTypes.h"

#include <algorithm>
#include <set>
#include <string_view>

namespace Tess
{
namespace
{

// Source-string numbers in `#line`: the effect file's own code, and the generated part.
constexpr int kFileSourceString = 0;
constexpr int kGeneratedSourceString = 1;

bool IsIdentifierStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsIdentifierChar(char c)
{
    return IsIdentifierStart(c) || (c >= '0' && c <= '9');
}

// Every identifier in the code, comments left out. Over-counting (a name inside an #if 0) only
// costs an unused accessor.
void CollectIdentifiers(std::string_view code, std::set<std::string_view>& out)
{
    std::size_t i = 0;
    while (i < code.size())
    {
        const char c = code[i];
        if (c == '/' && i + 1 < code.size() && code[i + 1] == '/')
        {
            while (i < code.size() && code[i] != '\n')
                ++i;
        }
        else if (c == '/' && i + 1 < code.size() && code[i + 1] == '*')
        {
            i += 2;
            while (i + 1 < code.size() && !(code[i] == '*' && code[i + 1] == '/'))
                ++i;
            i += 2;
        }
        else if (IsIdentifierStart(c))
        {
            const std::size_t start = i;
            while (i < code.size() && IsIdentifierChar(code[i]))
                ++i;
            out.insert(code.substr(start, i - start));
        }
        else if (c >= '0' && c <= '9')
        {
            // Skip numbers whole, so the 'e' or 'f' in "1e5f" is not read as a name.
            while (i < code.size() && (IsIdentifierChar(code[i]) || code[i] == '.'))
                ++i;
        }
        else
            ++i;
    }
}

const char* GlslType(EFxType type)
{
    switch (type)
    {
    case EFxType::Float: return "float";
    case EFxType::Float2: return "vec2";
    case EFxType::Float3: return "vec3";
    case EFxType::Float4: return "vec4";
    case EFxType::Float4x4: return "mat4";
    case EFxType::Float4x3: return "mat3x4";
    case EFxType::Int: return "int";
    case EFxType::Bool: return "bool";
    case EFxType::Texture2D: return "sampler2D";
    case EFxType::TextureCube: return "samplerCube";
    }
    return "float";
}

std::string Register(const char* file, std::uint32_t index)
{
    return std::string(file) + "[" + std::to_string(index) + "]";
}

// The GLSL expression of one element whose first register is `first`.
std::string ElementExpression(EFxType type, const char* file, std::uint32_t first)
{
    const std::string r = Register(file, first);
    switch (type)
    {
    case EFxType::Float: return r + ".x";
    case EFxType::Float2: return r + ".xy";
    case EFxType::Float3: return r + ".xyz";
    case EFxType::Float4: return r;
    case EFxType::Int: return "int(" + r + ".x)";
    case EFxType::Bool: return "(" + r + ".x != 0.0)";
    case EFxType::Float4x4:
        // Registers hold rows; transposing the column-built matrix makes `v * M` a row-vector
        // product, the way the engine's matrices work.
        return "transpose(mat4(" + r + ", " + Register(file, first + 1) + ", " + Register(file, first + 2) +
               ", " + Register(file, first + 3) + "))";
    case EFxType::Float4x3:
        return "transpose(mat4x3(" + r + ".xyz, " + Register(file, first + 1) + ".xyz, " +
               Register(file, first + 2) + ".xyz, " + Register(file, first + 3) + ".xyz))";
    default: return r;
    }
}

std::string Accessor(const FxParameter& parameter, const FxParameterLayout& layout, const char* file)
{
    const std::string function = "tess_Param_" + parameter.name;
    const std::string type = GlslType(parameter.type);
    const std::uint32_t step = GetFxElementRegisters(parameter.type);
    std::string text;
    if (parameter.elements == 0)
    {
        text = type + " " + function + "() { return " +
               ElementExpression(parameter.type, file, layout.firstRegister) + "; }\n";
    }
    else
    {
        const std::string arrayType = type + "[" + std::to_string(parameter.elements) + "]";
        text = arrayType + " " + function + "() { return " + arrayType + "(";
        for (std::uint32_t e = 0; e < parameter.elements; ++e)
        {
            if (e > 0)
                text += ", ";
            text += ElementExpression(parameter.type, file, layout.firstRegister + e * step);
        }
        text += "); }\n";
    }
    text += "#define " + parameter.name + " " + function + "()\n";
    return text;
}

void AppendLocationNames(std::string& out)
{
    struct Usage
    {
        const char* name;
        std::uint8_t usage;
        std::uint8_t index;
    };
    static constexpr Usage kUsages[] = {
        {"POSITION", D3DDECLUSAGE_POSITION, 0}, {"NORMAL", D3DDECLUSAGE_NORMAL, 0},
        {"TEXCOORD0", D3DDECLUSAGE_TEXCOORD, 0}, {"TANGENT", D3DDECLUSAGE_TANGENT, 0},
        {"BINORMAL", D3DDECLUSAGE_BINORMAL, 0}, {"COLOR0", D3DDECLUSAGE_COLOR, 0},
        {"COLOR1", D3DDECLUSAGE_COLOR, 1}, {"TEXCOORD1", D3DDECLUSAGE_TEXCOORD, 1},
        {"TEXCOORD2", D3DDECLUSAGE_TEXCOORD, 2}, {"TEXCOORD3", D3DDECLUSAGE_TEXCOORD, 3},
        {"TEXCOORD4", D3DDECLUSAGE_TEXCOORD, 4}, {"TEXCOORD5", D3DDECLUSAGE_TEXCOORD, 5},
        {"TEXCOORD6", D3DDECLUSAGE_TEXCOORD, 6}, {"TEXCOORD7", D3DDECLUSAGE_TEXCOORD, 7},
        {"BLENDWEIGHT", D3DDECLUSAGE_BLENDWEIGHT, 0}, {"BLENDINDICES", D3DDECLUSAGE_BLENDINDICES, 0},
    };
    for (const Usage& usage : kUsages)
        out += "#define TESS_" + std::string(usage.name) + " " + std::to_string(AttributeLocation(usage.usage, usage.index)) + "\n";
}

bool ReadNumber(std::string_view text, std::size_t& pos, int& value)
{
    const std::size_t start = pos;
    value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 9)
        value = value * 10 + (text[pos++] - '0');
    return pos > start;
}

// Reads the position prefix of a compiler line: "S:L(C):", "S:L:" or "S(L) :", after an
// optional "ERROR: " or "WARNING: ". On success `rest` is what follows the prefix.
bool ReadPosition(std::string_view line, int& source, int& lineNumber, std::string& rest)
{
    std::string severity;
    for (const char* prefix : {"ERROR: ", "WARNING: "})
    {
        if (line.rfind(prefix, 0) == 0)
        {
            severity = prefix[0] == 'E' ? " error:" : " warning:";
            line.remove_prefix(std::string_view(prefix).size());
        }
    }
    std::size_t pos = 0;
    if (!ReadNumber(line, pos, source) || pos >= line.size())
        return false;
    if (line[pos] == ':')
    {
        ++pos;
        if (!ReadNumber(line, pos, lineNumber))
            return false;
        int column = 0;
        if (pos < line.size() && line[pos] == '(')
        {
            ++pos;
            if (!ReadNumber(line, pos, column) || pos >= line.size() || line[pos] != ')')
                return false;
            ++pos;
        }
    }
    else if (line[pos] == '(')
    {
        ++pos;
        if (!ReadNumber(line, pos, lineNumber) || pos >= line.size() || line[pos] != ')')
            return false;
        ++pos;
        while (pos < line.size() && line[pos] == ' ')
            ++pos;
    }
    else
        return false;
    if (pos >= line.size() || line[pos] != ':')
        return false;
    rest = ":" + severity + std::string(line.substr(pos + 1));
    return true;
}

} // namespace

bool CFxShaderBuilder::ComputeLayout(const FxDocument& document, const std::string& fileName,
                                     std::vector<FxParameterLayout>& layout, std::string& error)
{
    layout.assign(document.parameters.size(), FxParameterLayout{});
    std::uint32_t nextRegister = 0;
    std::int32_t nextStage = 0;
    for (std::size_t i = 0; i < document.parameters.size(); ++i)
    {
        const FxParameter& parameter = document.parameters[i];
        if (IsFxTexture(parameter.type))
        {
            if (nextStage >= static_cast<std::int32_t>(kMaxTextures))
            {
                error = fileName + "(" + std::to_string(parameter.line) + "): error: more than " +
                        std::to_string(kMaxTextures) + " textures";
                return false;
            }
            layout[i].textureStage = nextStage++;
            continue;
        }
        layout[i].firstRegister = nextRegister;
        layout[i].registerCount = parameter.RegisterCount();
        nextRegister += layout[i].registerCount;
        if (nextRegister > kMaxRegisters)
        {
            error = fileName + "(" + std::to_string(parameter.line) + "): error: parameters need more than " +
                    std::to_string(kMaxRegisters) + " constant registers";
            return false;
        }
    }
    error.clear();
    return true;
}

FxStageSource CFxShaderBuilder::BuildStage(const FxDocument& document, const std::vector<FxParameterLayout>& layout,
                                           const std::vector<std::uint32_t>& blocks, bool vertex)
{
    std::set<std::string_view> names;
    for (std::uint32_t block : blocks)
        CollectIdentifiers(document.blocks[block].code, names);

    FxStageSource stage;
    std::uint32_t registerCount = 0;
    for (std::uint32_t i = 0; i < document.parameters.size(); ++i)
    {
        const FxParameter& parameter = document.parameters[i];
        if (names.count(parameter.name) == 0)
            continue;
        if (IsFxTexture(parameter.type))
            stage.textures.push_back(i);
        else
        {
            stage.parameters.push_back(i);
            registerCount = std::max(registerCount, layout[i].firstRegister + layout[i].registerCount);
        }
    }

    const char* file = vertex ? "tess_VSConstants" : "tess_PSConstants";
    std::string& out = stage.source;
    out = "// Generated from an effect file: parameter accessors, then the effect's own code.\n";
    out += "#line 1 " + std::to_string(kGeneratedSourceString) + "\n";
    if (vertex)
        AppendLocationNames(out);
    if (registerCount > 0)
        out += "uniform vec4 " + std::string(file) + "[" + std::to_string(registerCount) + "];\n";
    for (std::uint32_t i : stage.textures)
    {
        const std::string sampler = "tess_Sampler" + std::to_string(layout[i].textureStage);
        out += "uniform " + std::string(GlslType(document.parameters[i].type)) + " " + sampler + ";\n";
        out += "#define " + document.parameters[i].name + " " + sampler + "\n";
    }
    for (std::uint32_t i : stage.parameters)
        out += Accessor(document.parameters[i], layout[i], file);
    for (std::uint32_t block : blocks)
    {
        const FxCodeBlock& code = document.blocks[block];
        out += "#line " + std::to_string(code.firstLine) + " " + std::to_string(kFileSourceString) + "\n";
        out += code.code;
        out += "\n";
    }
    return stage;
}

std::string CFxShaderBuilder::MapCompilerMessages(const std::string& messages, const std::string& fileName,
                                                  const std::string& context)
{
    std::string out;
    std::size_t start = 0;
    while (start < messages.size())
    {
        std::size_t end = messages.find('\n', start);
        if (end == std::string::npos)
            end = messages.size();
        std::string_view line(messages.data() + start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        start = end + 1;
        if (line.find_first_not_of(" \t") == std::string_view::npos)
            continue;

        int source = 0, lineNumber = 0;
        std::string rest;
        if (!out.empty())
            out += "\n";
        if (ReadPosition(line, source, lineNumber, rest) && source == kFileSourceString)
            out += fileName + "(" + std::to_string(lineNumber) + ")" + rest;
        else if (ReadPosition(line, source, lineNumber, rest) && source == kGeneratedSourceString)
            out += fileName + ": " + context + ", generated line " + std::to_string(lineNumber) + rest;
        else
            out += fileName + ": " + context + ": " + std::string(line);
    }
    return out;
}

} // namespace Tess
