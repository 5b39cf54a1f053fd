#include "Engine/Effects/FxParser.h"

#include "Engine/Effects/FxStateNames.h"

#include <charconv>
#include <cstring>

namespace Tess
{

namespace
{

struct TypeName
{
    const char* name;
    EFxType type;
};

constexpr TypeName kTypeNames[] = {
    {"float", EFxType::Float},         {"float2", EFxType::Float2},
    {"float3", EFxType::Float3},       {"float4", EFxType::Float4},
    {"float4x4", EFxType::Float4x4},   {"float4x3", EFxType::Float4x3},
    {"int", EFxType::Int},             {"bool", EFxType::Bool},
    {"texture2D", EFxType::Texture2D}, {"texture", EFxType::Texture2D},
    {"textureCube", EFxType::TextureCube},
};

// Names the generated GLSL or the device already uses; a parameter by one of these names would
// be turned into an accessor macro and break the stage.
constexpr const char* kReservedNames[] = {
    "main", "PixelColor", "vColor", "vTexCoord0", "texture", "textureLod", "texelFetch",
    "float", "int", "bool", "uint", "void", "vec2", "vec3", "vec4", "ivec2", "ivec3", "ivec4",
    "bvec2", "bvec3", "bvec4", "mat2", "mat3", "mat4", "mat3x4", "mat4x3", "sampler2D",
    "samplerCube", "in", "out", "inout", "uniform", "const", "layout", "struct", "if", "else",
    "for", "while", "do", "return", "break", "continue", "discard", "true", "false",
    "technique", "pass", "glsl", "asm9", "null", "NULL",
};

} // namespace

bool CFxParser::Parse(std::string_view text, const std::string& fileName, FxDocument& out, std::string& error)
{
    CFxParser parser(text, fileName);
    return parser.Run(out, error);
}

bool CFxParser::CheckName(const std::string& name, int line, const char* what)
{
    const bool reservedPrefix = name.rfind("gl_", 0) == 0 || name.rfind("tess_", 0) == 0 ||
                                name.rfind("TESS_", 0) == 0 || name.find("__") != std::string::npos;
    bool reserved = reservedPrefix;
    for (const char* word : kReservedNames)
        reserved = reserved || name == word;
    if (reserved)
        return m_lexer.Fail(line, std::string(what) + " name '" + name + "' is reserved");
    return true;
}

bool CFxParser::Run(FxDocument& out, std::string& error)
{
    bool ok = true;
    if (m_text.size() > kMaxTextBytes)
        ok = m_lexer.Fail(1, "file is larger than " + std::to_string(kMaxTextBytes) + " bytes");
    while (ok)
    {
        FxToken token;
        if (!m_lexer.Next(token))
        {
            ok = false;
            break;
        }
        if (token.kind == EFxTokenKind::End)
            break;
        ok = ParseTopLevel(token);
    }
    ok = ok && ResolveStages();
    if (ok && m_document.techniques.empty())
        ok = m_lexer.Fail(m_lexer.Line(), "the effect has no technique");
    if (!ok)
    {
        error = m_lexer.Error();
        out = FxDocument{};
        return false;
    }
    out = std::move(m_document);
    error.clear();
    return true;
}

bool CFxParser::ParseTopLevel(const FxToken& token)
{
    if (token.kind == EFxTokenKind::Punct && token.text == ";")
        return true;
    if (token.kind != EFxTokenKind::Identifier)
        return m_lexer.Fail(token.line, "expected a parameter, 'glsl' or 'technique' but found '" + std::string(token.text) + "'");
    if (token.text == "technique")
        return ParseTechnique();
    if (token.text == "glsl" || token.text == "asm9")
        return ParseBlock(token.text == "asm9");
    for (const TypeName& typeName : kTypeNames)
    {
        if (token.text == typeName.name)
            return ParseParameter(typeName.type);
    }
    return m_lexer.Fail(token.line, "unknown type '" + std::string(token.text) + "'");
}

bool CFxParser::ParseParameter(EFxType type)
{
    if (m_document.parameters.size() >= kMaxParameters)
        return m_lexer.Fail(m_lexer.Line(), "too many parameters");
    FxParameter parameter;
    parameter.type = type;
    if (!m_lexer.ExpectIdentifier(parameter.name, "a parameter name"))
        return false;
    parameter.line = m_lexer.Line();
    if (!CheckName(parameter.name, parameter.line, "parameter"))
        return false;
    for (const FxParameter& other : m_document.parameters)
    {
        if (other.name == parameter.name)
            return m_lexer.Fail(parameter.line, "parameter '" + parameter.name + "' is already defined");
    }
    if (m_lexer.PeekIs("[") && !ParseArraySize(parameter))
        return false;
    if (m_lexer.Accept(":") && !m_lexer.ExpectIdentifier(parameter.semantic, "a semantic"))
        return false;
    parameter.defaultValue.assign(parameter.ByteSize(), 0);
    if (m_lexer.Accept("="))
    {
        if (IsFxTexture(type))
            return m_lexer.Fail(m_lexer.Line(), "a texture parameter takes no default value");
        if (!ParseDefault(parameter))
            return false;
    }
    if (IsFxTexture(type) && m_lexer.PeekIs("{"))
    {
        if (!ParseSamplerBlock(parameter))
            return false;
        m_lexer.Accept(";");
    }
    else if (!m_lexer.Expect(";"))
        return false;
    m_document.parameters.push_back(std::move(parameter));
    return true;
}

bool CFxParser::ParseUnsigned(const FxToken& token, std::uint32_t& value)
{
    if (token.kind != EFxTokenKind::Number)
        return m_lexer.Fail(token.line, "expected a whole number but found '" + std::string(token.text) + "'");
    std::string_view digits = token.text;
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
    {
        digits.remove_prefix(2);
        base = 16;
    }
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (ec != std::errc() || end != digits.data() + digits.size())
        return m_lexer.Fail(token.line, "'" + std::string(token.text) + "' is not a whole number");
    return true;
}

bool CFxParser::ParseArraySize(FxParameter& parameter)
{
    m_lexer.Expect("[");
    if (IsFxTexture(parameter.type))
        return m_lexer.Fail(parameter.line, "texture arrays are not supported");
    FxToken token;
    std::uint32_t count = 0;
    if (!m_lexer.Next(token) || !ParseUnsigned(token, count))
        return false;
    if (count < 1 || count > kMaxArrayElements)
        return m_lexer.Fail(token.line, "array size must be between 1 and " + std::to_string(kMaxArrayElements));
    parameter.elements = count;
    return m_lexer.Expect("]");
}

bool CFxParser::ParseScalar(const FxParameter& parameter, std::vector<std::uint8_t>& bytes)
{
    FxToken token;
    if (!m_lexer.Next(token))
        return false;
    bool negative = false;
    if (token.kind == EFxTokenKind::Punct && token.text == "-")
    {
        negative = true;
        if (!m_lexer.Next(token))
            return false;
    }
    double number = 0.0;
    if (token.kind == EFxTokenKind::Identifier && (token.text == "true" || token.text == "false") && !negative)
        number = token.text == "true" ? 1.0 : 0.0;
    else if (token.kind == EFxTokenKind::Number)
    {
        std::string_view digits = token.text;
        if (!digits.empty() && (digits.back() == 'f' || digits.back() == 'F') &&
            digits.find_first_of("xX") == std::string_view::npos)
            digits.remove_suffix(1);
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (ec != std::errc() || end != digits.data() + digits.size())
            return m_lexer.Fail(token.line, "'" + std::string(token.text) + "' is not a number");
    }
    else
    {
        return m_lexer.Fail(token.line, "expected a value but found " + CFxLexer::Describe(token));
    }
    if (negative)
        number = -number;

    std::uint8_t raw[4];
    if (parameter.type == EFxType::Int)
    {
        if (number != static_cast<double>(static_cast<std::int64_t>(number)) || number < -2147483648.0 ||
            number > 2147483647.0)
            return m_lexer.Fail(token.line, "'" + std::string(token.text) + "' is not a 32-bit whole number");
        const auto value = static_cast<std::int32_t>(number);
        std::memcpy(raw, &value, 4);
    }
    else if (parameter.type == EFxType::Bool)
    {
        const std::int32_t value = number != 0.0 ? 1 : 0;
        std::memcpy(raw, &value, 4);
    }
    else
    {
        const auto value = static_cast<float>(number);
        std::memcpy(raw, &value, 4);
    }
    bytes.insert(bytes.end(), raw, raw + 4);
    return true;
}

bool CFxParser::ParseDefault(FxParameter& parameter)
{
    const std::uint32_t wanted = parameter.ByteSize() / 4;
    std::vector<std::uint8_t> bytes;
    const int line = m_lexer.Line();
    if (m_lexer.Accept("{"))
    {
        do
        {
            if (bytes.size() / 4 >= wanted)
                return m_lexer.Fail(m_lexer.Line(), "too many values for '" + parameter.name + "' (it takes " + std::to_string(wanted) + ")");
            if (!ParseScalar(parameter, bytes))
                return false;
        } while (m_lexer.Accept(","));
        if (!m_lexer.Expect("}"))
            return false;
    }
    else if (!ParseScalar(parameter, bytes))
        return false;
    if (bytes.size() / 4 != wanted)
        return m_lexer.Fail(line, "'" + parameter.name + "' takes " + std::to_string(wanted) + " values, " +
                              std::to_string(bytes.size() / 4) + " given");
    parameter.defaultValue = std::move(bytes);
    parameter.hasDefault = true;
    return true;
}

bool CFxParser::ParseStateValue(const FxStateName& state, std::uint32_t& value)
{
    value = 0;
    do
    {
        FxToken token;
        if (!m_lexer.Next(token))
            return false;
        std::uint32_t term = 0;
        if (token.kind == EFxTokenKind::Number)
        {
            if (!IsFxNumericState(state))
                return m_lexer.Fail(token.line, std::string(state.name) + " takes a name, not a number");
            if (!ParseUnsigned(token, term))
                return false;
        }
        else if (token.kind == EFxTokenKind::Identifier)
        {
            if (!FindFxStateValue(state, token.text, term))
                return m_lexer.Fail(token.line, "'" + std::string(token.text) + "' is not a value of " + state.name);
        }
        else
        {
            return m_lexer.Fail(token.line, std::string("expected a value of ") + state.name + " but found " +
                                                CFxLexer::Describe(token));
        }
        value |= term;
    } while (IsFxMaskState(state) && m_lexer.Accept("|"));
    return true;
}

bool CFxParser::ParseSamplerBlock(FxParameter& parameter)
{
    m_lexer.Expect("{");
    while (!m_lexer.Accept("}"))
    {
        FxToken name;
        if (!m_lexer.Next(name))
            return false;
        if (name.kind != EFxTokenKind::Identifier)
            return m_lexer.Fail(name.line, "expected a sampler state or '}' but found " +
                                       CFxLexer::Describe(name));
        const FxStateName* state = FindFxStateName(name.text, EFxStateTarget::Sampler);
        if (state == nullptr)
            return m_lexer.Fail(name.line, "unknown sampler state '" + std::string(name.text) + "'");
        if (parameter.samplerStates.size() >= kMaxStatesPerPass)
            return m_lexer.Fail(name.line, "too many sampler states");
        FxState entry;
        entry.target = EFxStateTarget::Sampler;
        entry.state = state->state;
        entry.line = name.line;
        if (!m_lexer.Expect("=") || !ParseStateValue(*state, entry.value) || !m_lexer.Expect(";"))
            return false;
        parameter.samplerStates.push_back(entry);
    }
    return true;
}

} // namespace Tess
