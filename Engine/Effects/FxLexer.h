#pragma once
// CFxLexer: the tokens of an effect file (names, numbers, punctuation), with comments and
// blanks skipped and lines counted, and the raw GLSL of a code block read brace-balanced. It
// keeps the first error as "file(line): error: message"; every later failure keeps that one.

#include "Engine/Effects/FxDocument.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Tess
{

enum class EFxTokenKind : std::uint8_t { End, Identifier, Number, Punct };

struct FxToken
{
    EFxTokenKind kind = EFxTokenKind::End;
    std::string_view text;
    int line = 1;
};

class CFxLexer
{
public:
    static constexpr std::size_t kMaxIdentifierLength = 128;
    static constexpr int kMaxCodeBraceDepth = 256;

    // `fileName` labels error messages; both arguments must outlive the lexer.
    CFxLexer(std::string_view text, const std::string& fileName) : m_text(text), m_fileName(fileName) {}

    // The next token without taking it.
    bool Peek(FxToken& token);
    bool Next(FxToken& token);
    // Whether the next token is the punctuation `punct`; Accept also takes it.
    bool PeekIs(std::string_view punct);
    bool Accept(std::string_view punct);
    // Takes the punctuation, or fails naming what was found instead.
    bool Expect(std::string_view punct);
    bool ExpectIdentifier(std::string& out, const char* what);
    // Reads "{ GLSL }" raw into the block's code; the lexer must not have peeked past the name.
    bool ReadCodeBlock(FxCodeBlock& block);

    // Records the error (the first one only) and returns false, so callers can `return Fail(...)`.
    bool Fail(int line, const std::string& message);
    // "end of file" or the token quoted, for error messages.
    static std::string Describe(const FxToken& token);

    int Line() const { return m_line; }
    const std::string& Error() const { return m_error; }

private:
    bool SkipSpaceAndComments();
    bool LexToken(FxToken& token);

    std::string_view m_text;
    const std::string& m_fileName;
    std::size_t m_pos = 0;
    int m_line = 1;
    bool m_hasPeeked = false;
    FxToken m_peeked;
    std::string m_error;
};

} // namespace Tess
