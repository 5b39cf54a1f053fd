#pragma once
// CFxParser: reads the text of an effect file (docs/EffectFormat.md) into an FxDocument. It is
// pure: text in, a document or one error line "file(line): error: message" out. It never reads
// outside its input, bounds every size and count, and recurses only as deep as the grammar does,
// so any sequence of bytes is safe to hand it. Tokens come from CFxLexer; FxParser.cpp reads the
// parameters, FxParser_Techniques.cpp the GLSL blocks, techniques and passes.

#include "Engine/Effects/FxDocument.h"
#include "Engine/Effects/FxLexer.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Tess
{

struct FxStateName;

class CFxParser
{
public:
    // Limits that keep hostile input cheap; real effects stay far below them.
    static constexpr std::size_t kMaxTextBytes = 4u << 20;
    static constexpr std::size_t kMaxIdentifierLength = CFxLexer::kMaxIdentifierLength;
    static constexpr std::size_t kMaxParameters = 256;
    static constexpr std::size_t kMaxBlocks = 256;
    static constexpr std::size_t kMaxTechniques = 64;
    static constexpr std::size_t kMaxPasses = 32;
    static constexpr std::size_t kMaxStatesPerPass = 128;
    static constexpr std::size_t kMaxBlocksPerStage = 16;
    static constexpr std::uint32_t kMaxArrayElements = 256;
    static constexpr int kMaxCodeBraceDepth = CFxLexer::kMaxCodeBraceDepth;
    // GLSL the stages of all passes together may hand the compiler, counting a block once for
    // every stage that names it: a small file could otherwise name a large block from every
    // stage of every pass and make loading compile gigabytes.
    static constexpr std::size_t kMaxStageCodeBytes = 16u << 20;

    // Parses `text`; `fileName` only labels error messages. On failure `out` is left empty and
    // `error` holds "fileName(line): error: message".
    static bool Parse(std::string_view text, const std::string& fileName, FxDocument& out,
                      std::string& error);

private:
    // One reference from a pass to code blocks, resolved once the whole file is read, so blocks
    // may follow the techniques that use them.
    struct PendingStage
    {
        std::uint32_t technique = 0;
        std::uint32_t pass = 0;
        bool vertex = true;
        std::vector<std::string> names;
        int line = 0;
    };

    CFxParser(std::string_view text, const std::string& fileName) : m_text(text), m_lexer(text, fileName) {}

    bool Run(FxDocument& out, std::string& error);
    bool ParseTopLevel(const FxToken& token);
    bool CheckName(const std::string& name, int line, const char* what);

    // Parameters (FxParser.cpp).
    bool ParseParameter(EFxType type);
    bool ParseArraySize(FxParameter& parameter);
    bool ParseDefault(FxParameter& parameter);
    bool ParseScalar(const FxParameter& parameter, std::vector<std::uint8_t>& bytes);
    bool ParseSamplerBlock(FxParameter& parameter);
    bool ParseStateValue(const FxStateName& state, std::uint32_t& value);
    bool ParseUnsigned(const FxToken& token, std::uint32_t& value);

    // GLSL blocks, techniques and passes (FxParser_Techniques.cpp).
    bool ParseBlock(bool assembly);
    bool ParseTechnique();
    bool ParsePass(FxTechnique& technique);
    bool ParsePassAssignment(FxPass& pass, const FxToken& name);
    bool ParseStageList(FxPass& pass, bool vertex, int line);
    bool ResolveStages();

    std::string_view m_text;
    CFxLexer m_lexer;
    FxDocument m_document;
    std::vector<PendingStage> m_pendingStages;
};

} // namespace Tess
