#include "Engine/Platform/FxParser.h"

#include "Engine/Platform/FxStateNames.h"

#include <charconv>
#include <cstring>

namespace Tess
{

FxTypeShape GetFxTypeShape(EFxType type)
{
    switch (type)
    {
    case EFxType::Float2: return {1, 2};
    case EFxType::Float3: return {1, 3};
    case EFxType::Float4: return {1, 4};
    case EFxType::Float4x4: return {4, 4};
    case EFxType::Float4x3: return {4, 3};
    default: return {1, 1};
    }
}

bool IsFxTexture(EFxType type)
{
    return type == EFxType::Texture2D || type == EFxType::TextureCube;
}

std::uint32_t GetFxElementBytes(EFxType type)
{
    const FxTypeShape shape = GetFxTypeShape(type);
    return 4 * shape.rows * shape.columns;
}

std::uint32_t GetFxElementRegisters(EFxType type)
{
    return IsFxTexture(type) ? 0 : GetFxTypeShape(type).rows;
}

namespace
{

enum class ETokenKind : std::uint8_t { End, Identifier, Number, Punct };

struct Token
{
    ETokenKind kind = ETokenKind::End;
    std::string_view text;
    int line = 1;
};

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
    "technique", "pass", "glsl", "null", "NULL",
};

bool IsIdentifierStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsIdentifierChar(char c)
{
    return IsIdentifierStart(c) || (c >= '0' && c <= '9');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// One reference from a pass to code blocks, resolved once the whole file is read, so blocks may
// follow the techniques that use them.
struct PendingStage
{
    std::uint32_t technique = 0;
    std::uint32_t pass = 0;
    bool vertex = true;
    std::vector<std::string> names;
    int line = 0;
};

class CParser
{
public:
    CParser(std::string_view text, const std::string& fileName) : m_text(text), m_fileName(fileName) {}

    bool Run(FxDocument& out, std::string& error);

private:
    // ---- Lexing -------------------------------------------------------------------------
    bool SkipSpaceAndComments();
    bool LexToken(Token& token);
    bool Peek(Token& token);
    bool Next(Token& token);
    bool PeekIs(std::string_view punct);
    bool Accept(std::string_view punct);
    bool Expect(std::string_view punct);
    bool ExpectIdentifier(std::string& out, const char* what);
    bool ReadCodeBlock(FxCodeBlock& block);

    // ---- Grammar ------------------------------------------------------------------------
    bool ParseTopLevel(const Token& token);
    bool ParseParameter(EFxType type);
    bool ParseArraySize(FxParameter& parameter);
    bool ParseDefault(FxParameter& parameter);
    bool ParseScalar(const FxParameter& parameter, std::vector<std::uint8_t>& bytes);
    bool ParseSamplerBlock(FxParameter& parameter);
    bool ParseBlock();
    bool ParseTechnique();
    bool ParsePass(FxTechnique& technique);
    bool ParsePassAssignment(FxPass& pass, const Token& name);
    bool ParseStageList(FxPass& pass, bool vertex, int line);
    bool ParseStateValue(const FxStateName& state, std::uint32_t& value);
    bool ParseUnsigned(const Token& token, std::uint32_t& value);
    bool ResolveStages();

    bool CheckName(const std::string& name, int line, const char* what);
    bool Fail(int line, const std::string& message);

    std::string_view m_text;
    const std::string& m_fileName;
    std::size_t m_pos = 0;
    int m_line = 1;
    bool m_hasPeeked = false;
    Token m_peeked;
    FxDocument m_document;
    std::vector<PendingStage> m_pendingStages;
    std::string m_error;
};

bool CParser::Fail(int line, const std::string& message)
{
    if (m_error.empty())
        m_error = m_fileName + "(" + std::to_string(line) + "): error: " + message;
    return false;
}

bool CParser::SkipSpaceAndComments()
{
    while (m_pos < m_text.size())
    {
        const char c = m_text[m_pos];
        if (c == '\n')
        {
            ++m_line;
            ++m_pos;
        }
        else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v')
            ++m_pos;
        else if (c == '/' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '/')
        {
            while (m_pos < m_text.size() && m_text[m_pos] != '\n')
                ++m_pos;
        }
        else if (c == '/' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '*')
        {
            const int startLine = m_line;
            m_pos += 2;
            for (;;)
            {
                if (m_pos + 1 >= m_text.size())
                    return Fail(startLine, "unterminated comment");
                if (m_text[m_pos] == '*' && m_text[m_pos + 1] == '/')
                {
                    m_pos += 2;
                    break;
                }
                if (m_text[m_pos] == '\n')
                    ++m_line;
                ++m_pos;
            }
        }
        else
            break;
    }
    return true;
}

bool CParser::LexToken(Token& token)
{
    if (!SkipSpaceAndComments())
        return false;
    token.line = m_line;
    if (m_pos >= m_text.size())
    {
        token.kind = ETokenKind::End;
        token.text = {};
        return true;
    }
    const std::size_t start = m_pos;
    const char c = m_text[m_pos];
    if (IsIdentifierStart(c))
    {
        while (m_pos < m_text.size() && IsIdentifierChar(m_text[m_pos]))
            ++m_pos;
        if (m_pos - start > CFxParser::kMaxIdentifierLength)
            return Fail(m_line, "name is longer than " + std::to_string(CFxParser::kMaxIdentifierLength) + " characters");
        token.kind = ETokenKind::Identifier;
    }
    else if (IsDigit(c) || (c == '.' && m_pos + 1 < m_text.size() && IsDigit(m_text[m_pos + 1])))
    {
        // A number runs over digits, letters (hex digits, exponent, suffix), dots and the sign
        // of an exponent; from_chars decides later whether it is well formed.
        while (m_pos < m_text.size())
        {
            const char d = m_text[m_pos];
            const bool exponentSign = (d == '+' || d == '-') &&
                                      (m_text[m_pos - 1] == 'e' || m_text[m_pos - 1] == 'E') &&
                                      !(m_pos - start >= 2 && (m_text[start + 1] == 'x' || m_text[start + 1] == 'X'));
            if (!IsIdentifierChar(d) && d != '.' && !exponentSign)
                break;
            ++m_pos;
            if (m_pos - start > 64)
                return Fail(m_line, "number is too long");
        }
        token.kind = ETokenKind::Number;
    }
    else if (std::strchr("{}()[];:=,|-<>", c) != nullptr && c != '\0')
    {
        ++m_pos;
        token.kind = ETokenKind::Punct;
    }
    else
    {
        static const char kHex[] = "0123456789ABCDEF";
        const auto byte = static_cast<unsigned char>(c);
        return Fail(m_line, std::string("unexpected character 0x") + kHex[byte >> 4] + kHex[byte & 15]);
    }
    token.text = m_text.substr(start, m_pos - start);
    return true;
}

bool CParser::Peek(Token& token)
{
    if (!m_hasPeeked)
    {
        if (!LexToken(m_peeked))
            return false;
        m_hasPeeked = true;
    }
    token = m_peeked;
    return true;
}

bool CParser::Next(Token& token)
{
    if (!Peek(token))
        return false;
    m_hasPeeked = false;
    return true;
}

bool CParser::PeekIs(std::string_view punct)
{
    Token token;
    return Peek(token) && token.kind == ETokenKind::Punct && token.text == punct;
}

bool CParser::Accept(std::string_view punct)
{
    if (!PeekIs(punct))
        return false;
    m_hasPeeked = false;
    return true;
}

bool CParser::Expect(std::string_view punct)
{
    Token token;
    if (!Next(token))
        return false;
    if (token.kind == ETokenKind::Punct && token.text == punct)
        return true;
    const std::string found = token.kind == ETokenKind::End ? "end of file" : "'" + std::string(token.text) + "'";
    return Fail(token.line, "expected '" + std::string(punct) + "' but found " + found);
}

bool CParser::ExpectIdentifier(std::string& out, const char* what)
{
    Token token;
    if (!Next(token))
        return false;
    if (token.kind != ETokenKind::Identifier)
    {
        const std::string found = token.kind == ETokenKind::End ? "end of file" : "'" + std::string(token.text) + "'";
        return Fail(token.line, std::string("expected ") + what + " but found " + found);
    }
    out.assign(token.text);
    return true;
}

bool CParser::ReadCodeBlock(FxCodeBlock& block)
{
    // The lexer must not have looked past the block's name: the code is read raw from here.
    if (m_hasPeeked)
        return Fail(m_line, "internal error: code block read after a look-ahead");
    if (!SkipSpaceAndComments())
        return false;
    if (m_pos >= m_text.size() || m_text[m_pos] != '{')
        return Fail(m_line, "expected '{' to open the GLSL code of '" + block.name + "'");
    const int openLine = m_line;
    ++m_pos;
    block.firstLine = m_line;
    const std::size_t start = m_pos;
    int depth = 1;
    while (m_pos < m_text.size())
    {
        const char c = m_text[m_pos];
        if (c == '\0')
            return Fail(m_line, "NUL character in GLSL code");
        if (c == '\n')
            ++m_line;
        else if (c == '/' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '/')
        {
            while (m_pos + 1 < m_text.size() && m_text[m_pos + 1] != '\n')
                ++m_pos;
        }
        else if (c == '/' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '*')
        {
            const int commentLine = m_line;
            m_pos += 2;
            while (m_pos + 1 < m_text.size() && !(m_text[m_pos] == '*' && m_text[m_pos + 1] == '/'))
            {
                if (m_text[m_pos] == '\n')
                    ++m_line;
                ++m_pos;
            }
            if (m_pos + 1 >= m_text.size())
                return Fail(commentLine, "unterminated comment");
            ++m_pos; // onto the '/', passed below
        }
        else if (c == '{')
        {
            if (++depth > CFxParser::kMaxCodeBraceDepth)
                return Fail(m_line, "braces nested too deeply in GLSL code");
        }
        else if (c == '}' && --depth == 0)
        {
            block.code.assign(m_text.substr(start, m_pos - start));
            ++m_pos;
            return true;
        }
        ++m_pos;
    }
    return Fail(openLine, "GLSL code of '" + block.name + "' is not closed with '}'");
}

bool CParser::CheckName(const std::string& name, int line, const char* what)
{
    const bool reservedPrefix = name.rfind("gl_", 0) == 0 || name.rfind("tess_", 0) == 0 ||
                                name.rfind("TESS_", 0) == 0 || name.find("__") != std::string::npos;
    bool reserved = reservedPrefix;
    for (const char* word : kReservedNames)
        reserved = reserved || name == word;
    if (reserved)
        return Fail(line, std::string(what) + " name '" + name + "' is reserved");
    return true;
}

bool CParser::Run(FxDocument& out, std::string& error)
{
    bool ok = true;
    if (m_text.size() > CFxParser::kMaxTextBytes)
        ok = Fail(1, "file is larger than " + std::to_string(CFxParser::kMaxTextBytes) + " bytes");
    while (ok)
    {
        Token token;
        if (!Next(token))
        {
            ok = false;
            break;
        }
        if (token.kind == ETokenKind::End)
            break;
        ok = ParseTopLevel(token);
    }
    ok = ok && ResolveStages();
    if (ok && m_document.techniques.empty())
        ok = Fail(m_line, "the effect has no technique");
    if (!ok)
    {
        error = m_error;
        out = FxDocument{};
        return false;
    }
    out = std::move(m_document);
    error.clear();
    return true;
}

bool CParser::ParseTopLevel(const Token& token)
{
    if (token.kind == ETokenKind::Punct && token.text == ";")
        return true;
    if (token.kind != ETokenKind::Identifier)
        return Fail(token.line, "expected a parameter, 'glsl' or 'technique' but found '" + std::string(token.text) + "'");
    if (token.text == "technique")
        return ParseTechnique();
    if (token.text == "glsl")
        return ParseBlock();
    for (const TypeName& typeName : kTypeNames)
    {
        if (token.text == typeName.name)
            return ParseParameter(typeName.type);
    }
    return Fail(token.line, "unknown type '" + std::string(token.text) + "'");
}

bool CParser::ParseParameter(EFxType type)
{
    if (m_document.parameters.size() >= CFxParser::kMaxParameters)
        return Fail(m_line, "too many parameters");
    FxParameter parameter;
    parameter.type = type;
    if (!ExpectIdentifier(parameter.name, "a parameter name"))
        return false;
    parameter.line = m_line;
    if (!CheckName(parameter.name, parameter.line, "parameter"))
        return false;
    for (const FxParameter& other : m_document.parameters)
    {
        if (other.name == parameter.name)
            return Fail(parameter.line, "parameter '" + parameter.name + "' is already defined");
    }
    if (PeekIs("[") && !ParseArraySize(parameter))
        return false;
    if (Accept(":") && !ExpectIdentifier(parameter.semantic, "a semantic"))
        return false;
    parameter.defaultValue.assign(parameter.ByteSize(), 0);
    if (Accept("="))
    {
        if (IsFxTexture(type))
            return Fail(m_line, "a texture parameter takes no default value");
        if (!ParseDefault(parameter))
            return false;
    }
    if (IsFxTexture(type) && PeekIs("{"))
    {
        if (!ParseSamplerBlock(parameter))
            return false;
        Accept(";");
    }
    else if (!Expect(";"))
        return false;
    m_document.parameters.push_back(std::move(parameter));
    return true;
}

bool CParser::ParseUnsigned(const Token& token, std::uint32_t& value)
{
    if (token.kind != ETokenKind::Number)
        return Fail(token.line, "expected a whole number but found '" + std::string(token.text) + "'");
    std::string_view digits = token.text;
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
    {
        digits.remove_prefix(2);
        base = 16;
    }
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (ec != std::errc() || end != digits.data() + digits.size())
        return Fail(token.line, "'" + std::string(token.text) + "' is not a whole number");
    return true;
}

bool CParser::ParseArraySize(FxParameter& parameter)
{
    Expect("[");
    if (IsFxTexture(parameter.type))
        return Fail(parameter.line, "texture arrays are not supported");
    Token token;
    std::uint32_t count = 0;
    if (!Next(token) || !ParseUnsigned(token, count))
        return false;
    if (count < 1 || count > CFxParser::kMaxArrayElements)
        return Fail(token.line, "array size must be between 1 and " + std::to_string(CFxParser::kMaxArrayElements));
    parameter.elements = count;
    return Expect("]");
}

bool CParser::ParseScalar(const FxParameter& parameter, std::vector<std::uint8_t>& bytes)
{
    Token token;
    if (!Next(token))
        return false;
    bool negative = false;
    if (token.kind == ETokenKind::Punct && token.text == "-")
    {
        negative = true;
        if (!Next(token))
            return false;
    }
    double number = 0.0;
    if (token.kind == ETokenKind::Identifier && (token.text == "true" || token.text == "false") && !negative)
        number = token.text == "true" ? 1.0 : 0.0;
    else if (token.kind == ETokenKind::Number)
    {
        std::string_view digits = token.text;
        if (!digits.empty() && (digits.back() == 'f' || digits.back() == 'F') &&
            digits.find_first_of("xX") == std::string_view::npos)
            digits.remove_suffix(1);
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (ec != std::errc() || end != digits.data() + digits.size())
            return Fail(token.line, "'" + std::string(token.text) + "' is not a number");
    }
    else
    {
        const std::string found = token.kind == ETokenKind::End ? "end of file" : "'" + std::string(token.text) + "'";
        return Fail(token.line, "expected a value but found " + found);
    }
    if (negative)
        number = -number;

    std::uint8_t raw[4];
    if (parameter.type == EFxType::Int)
    {
        if (number != static_cast<double>(static_cast<std::int64_t>(number)) || number < -2147483648.0 ||
            number > 2147483647.0)
            return Fail(token.line, "'" + std::string(token.text) + "' is not a 32-bit whole number");
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

bool CParser::ParseDefault(FxParameter& parameter)
{
    const std::uint32_t wanted = parameter.ByteSize() / 4;
    std::vector<std::uint8_t> bytes;
    const int line = m_line;
    if (Accept("{"))
    {
        do
        {
            if (bytes.size() / 4 >= wanted)
                return Fail(m_line, "too many values for '" + parameter.name + "' (it takes " + std::to_string(wanted) + ")");
            if (!ParseScalar(parameter, bytes))
                return false;
        } while (Accept(","));
        if (!Expect("}"))
            return false;
    }
    else if (!ParseScalar(parameter, bytes))
        return false;
    if (bytes.size() / 4 != wanted)
        return Fail(line, "'" + parameter.name + "' takes " + std::to_string(wanted) + " values, " +
                              std::to_string(bytes.size() / 4) + " given");
    parameter.defaultValue = std::move(bytes);
    parameter.hasDefault = true;
    return true;
}

bool CParser::ParseStateValue(const FxStateName& state, std::uint32_t& value)
{
    value = 0;
    do
    {
        Token token;
        if (!Next(token))
            return false;
        std::uint32_t term = 0;
        if (token.kind == ETokenKind::Number)
        {
            if (!IsFxNumericState(state))
                return Fail(token.line, std::string(state.name) + " takes a name, not a number");
            if (!ParseUnsigned(token, term))
                return false;
        }
        else if (token.kind == ETokenKind::Identifier)
        {
            if (!FindFxStateValue(state, token.text, term))
                return Fail(token.line, "'" + std::string(token.text) + "' is not a value of " + state.name);
        }
        else
        {
            const std::string found = token.kind == ETokenKind::End ? "end of file" : "'" + std::string(token.text) + "'";
            return Fail(token.line, std::string("expected a value of ") + state.name + " but found " + found);
        }
        value |= term;
    } while (IsFxMaskState(state) && Accept("|"));
    return true;
}

bool CParser::ParseSamplerBlock(FxParameter& parameter)
{
    Expect("{");
    while (!Accept("}"))
    {
        Token name;
        if (!Next(name))
            return false;
        if (name.kind != ETokenKind::Identifier)
            return Fail(name.line, "expected a sampler state or '}' but found " +
                                       (name.kind == ETokenKind::End ? std::string("end of file") : "'" + std::string(name.text) + "'"));
        const FxStateName* state = FindFxStateName(name.text, EFxStateTarget::Sampler);
        if (state == nullptr)
            return Fail(name.line, "unknown sampler state '" + std::string(name.text) + "'");
        if (parameter.samplerStates.size() >= CFxParser::kMaxStatesPerPass)
            return Fail(name.line, "too many sampler states");
        FxState entry;
        entry.target = EFxStateTarget::Sampler;
        entry.state = state->state;
        entry.line = name.line;
        if (!Expect("=") || !ParseStateValue(*state, entry.value) || !Expect(";"))
            return false;
        parameter.samplerStates.push_back(entry);
    }
    return true;
}

bool CParser::ParseBlock()
{
    if (m_document.blocks.size() >= CFxParser::kMaxBlocks)
        return Fail(m_line, "too many GLSL blocks");
    FxCodeBlock block;
    if (!ExpectIdentifier(block.name, "a name for the GLSL block"))
        return false;
    const int line = m_line;
    if (!CheckName(block.name, line, "GLSL block"))
        return false;
    for (const FxCodeBlock& other : m_document.blocks)
    {
        if (other.name == block.name)
            return Fail(line, "GLSL block '" + block.name + "' is already defined");
    }
    if (!ReadCodeBlock(block))
        return false;
    m_document.blocks.push_back(std::move(block));
    return true;
}

bool CParser::ParseTechnique()
{
    if (m_document.techniques.size() >= CFxParser::kMaxTechniques)
        return Fail(m_line, "too many techniques");
    FxTechnique technique;
    Token token;
    if (!Peek(token))
        return false;
    technique.line = token.line;
    if (token.kind == ETokenKind::Identifier)
    {
        technique.name.assign(token.text);
        Next(token);
        for (const FxTechnique& other : m_document.techniques)
        {
            if (other.name == technique.name)
                return Fail(technique.line, "technique '" + technique.name + "' is already defined");
        }
    }
    if (!Expect("{"))
        return false;
    m_document.techniques.push_back(std::move(technique));
    FxTechnique& added = m_document.techniques.back();
    while (!Accept("}"))
    {
        if (!Next(token))
            return false;
        if (token.kind != ETokenKind::Identifier || token.text != "pass")
            return Fail(token.line, "expected 'pass' or '}' but found " +
                                        (token.kind == ETokenKind::End ? std::string("end of file") : "'" + std::string(token.text) + "'"));
        if (!ParsePass(added))
            return false;
    }
    if (added.passes.empty())
        return Fail(added.line, "technique '" + added.name + "' has no pass");
    return true;
}

bool CParser::ParsePass(FxTechnique& technique)
{
    if (technique.passes.size() >= CFxParser::kMaxPasses)
        return Fail(m_line, "too many passes in technique '" + technique.name + "'");
    FxPass pass;
    Token token;
    if (!Peek(token))
        return false;
    pass.line = token.line;
    if (token.kind == ETokenKind::Identifier)
    {
        pass.name.assign(token.text);
        Next(token);
    }
    if (!Expect("{"))
        return false;
    technique.passes.push_back(std::move(pass));
    while (!Accept("}"))
    {
        if (!Next(token))
            return false;
        if (token.kind != ETokenKind::Identifier)
            return Fail(token.line, "expected a state or '}' but found " +
                                        (token.kind == ETokenKind::End ? std::string("end of file") : "'" + std::string(token.text) + "'"));
        if (!ParsePassAssignment(technique.passes.back(), token))
            return false;
    }
    return true;
}

bool CParser::ParsePassAssignment(FxPass& pass, const Token& name)
{
    if (EqualsNoCase(name.text, "VertexShader") || EqualsNoCase(name.text, "PixelShader"))
        return Expect("=") && ParseStageList(pass, EqualsNoCase(name.text, "VertexShader"), name.line);

    const FxStateName* state = FindFxStateName(name.text, EFxStateTarget::Render);
    if (state == nullptr)
        state = FindFxStateName(name.text, EFxStateTarget::TextureStage);
    if (state == nullptr)
        return Fail(name.line, "unknown pass state '" + std::string(name.text) + "'");
    if (pass.states.size() >= CFxParser::kMaxStatesPerPass)
        return Fail(name.line, "too many states in one pass");
    FxState entry;
    entry.target = state->target;
    entry.state = state->state;
    entry.line = name.line;
    if (state->target == EFxStateTarget::TextureStage && Accept("["))
    {
        Token index;
        if (!Next(index) || !ParseUnsigned(index, entry.stage))
            return false;
        if (entry.stage >= 16)
            return Fail(index.line, "texture stage must be between 0 and 15");
        if (!Expect("]"))
            return false;
    }
    if (!Expect("=") || !ParseStateValue(*state, entry.value) || !Expect(";"))
        return false;
    pass.states.push_back(entry);
    return true;
}

bool CParser::ParseStageList(FxPass& pass, bool vertex, int line)
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
        if (!ExpectIdentifier(blockName, "the name of a GLSL block"))
            return false;
        if (blockName == "null" || blockName == "NULL")
        {
            if (!pending.names.empty())
                return Fail(line, "'null' cannot be combined with GLSL blocks");
            break;
        }
        if (pending.names.size() >= CFxParser::kMaxBlocksPerStage)
            return Fail(line, "too many GLSL blocks in one stage");
        pending.names.push_back(std::move(blockName));
    } while (Accept(","));
    if (!Expect(";"))
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

bool CParser::ResolveStages()
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
                return Fail(pending.line, "no GLSL block is named '" + name + "'");
            blocks.push_back(found);
            stageCodeBytes += m_document.blocks[found].code.size();
            if (stageCodeBytes > CFxParser::kMaxStageCodeBytes)
                return Fail(pending.line, "the passes name more than " + std::to_string(CFxParser::kMaxStageCodeBytes) +
                                              " bytes of GLSL code in all");
        }
    }
    return true;
}

} // namespace

bool CFxParser::Parse(std::string_view text, const std::string& fileName, FxDocument& out, std::string& error)
{
    CParser parser(text, fileName);
    return parser.Run(out, error);
}

} // namespace Tess
