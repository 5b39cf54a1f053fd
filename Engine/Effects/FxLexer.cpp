#include "Engine/Effects/FxLexer.h"

#include <cstring>

namespace Tess
{

namespace
{

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

} // namespace

std::string CFxLexer::Describe(const FxToken& token)
{
    return token.kind == EFxTokenKind::End ? "end of file" : "'" + std::string(token.text) + "'";
}

bool CFxLexer::Fail(int line, const std::string& message)
{
    if (m_error.empty())
        m_error = m_fileName + "(" + std::to_string(line) + "): error: " + message;
    return false;
}

bool CFxLexer::SkipSpaceAndComments()
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

bool CFxLexer::LexToken(FxToken& token)
{
    if (!SkipSpaceAndComments())
        return false;
    token.line = m_line;
    if (m_pos >= m_text.size())
    {
        token.kind = EFxTokenKind::End;
        token.text = {};
        return true;
    }
    const std::size_t start = m_pos;
    const char c = m_text[m_pos];
    if (IsIdentifierStart(c))
    {
        while (m_pos < m_text.size() && IsIdentifierChar(m_text[m_pos]))
            ++m_pos;
        if (m_pos - start > kMaxIdentifierLength)
            return Fail(m_line, "name is longer than " + std::to_string(kMaxIdentifierLength) + " characters");
        token.kind = EFxTokenKind::Identifier;
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
        token.kind = EFxTokenKind::Number;
    }
    else if (std::strchr("{}()[];:=,|-<>", c) != nullptr && c != '\0')
    {
        ++m_pos;
        token.kind = EFxTokenKind::Punct;
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

bool CFxLexer::Peek(FxToken& token)
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

bool CFxLexer::Next(FxToken& token)
{
    if (!Peek(token))
        return false;
    m_hasPeeked = false;
    return true;
}

bool CFxLexer::PeekIs(std::string_view punct)
{
    FxToken token;
    return Peek(token) && token.kind == EFxTokenKind::Punct && token.text == punct;
}

bool CFxLexer::Accept(std::string_view punct)
{
    if (!PeekIs(punct))
        return false;
    m_hasPeeked = false;
    return true;
}

bool CFxLexer::Expect(std::string_view punct)
{
    FxToken token;
    if (!Next(token))
        return false;
    if (token.kind == EFxTokenKind::Punct && token.text == punct)
        return true;
    return Fail(token.line, "expected '" + std::string(punct) + "' but found " + Describe(token));
}

bool CFxLexer::ExpectIdentifier(std::string& out, const char* what)
{
    FxToken token;
    if (!Next(token))
        return false;
    if (token.kind != EFxTokenKind::Identifier)
    {
        return Fail(token.line, std::string("expected ") + what + " but found " + Describe(token));
    }
    out.assign(token.text);
    return true;
}

bool CFxLexer::ReadCodeBlock(FxCodeBlock& block)
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
            if (++depth > kMaxCodeBraceDepth)
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

} // namespace Tess
