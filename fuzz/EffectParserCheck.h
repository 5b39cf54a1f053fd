#pragma once
// Check of the effect file parser, and of the shader stage builder on what parses, on arbitrary
// text. A failure is one line "file(line): error: message" with a line inside the text and an
// empty document; a document that parses is consistent (techniques with passes, stage blocks
// that exist, default values of the parameter's size), its layout fits the device, and every
// stage source holds the code of its blocks. Compiler message mapping gets the text too.

#include "FuzzCheck.h"

#include "Engine/Effects/FxAssemblyBuilder.h"
#include "Engine/Effects/FxParser.h"
#include "Engine/Effects/FxShaderBuilder.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace TessFuzz
{

namespace EffectDetail
{

inline const std::string kFileName = "fuzz.fx";

inline std::string CheckError(const std::string& error, std::string_view text, const Tess::FxDocument& document)
{
    const std::string prefix = kFileName + "(";
    const std::size_t close = error.find("): error: ");
    if (error.rfind(prefix, 0) != 0 || close == std::string::npos || error.find('\n') != std::string::npos)
        return "malformed error line: " + error;
    const std::string number = error.substr(prefix.size(), close - prefix.size());
    if (number.empty() || number.size() > 9 || number.find_first_not_of("0123456789") != std::string::npos)
        return "error line without a line number: " + error;
    const long line = std::stol(number);
    const long lines = 1 + static_cast<long>(std::count(text.begin(), text.end(), '\n'));
    if (line < 1 || line > lines)
        return "error on line " + number + " of a text of " + std::to_string(lines) + " lines";
    if (!document.parameters.empty() || !document.blocks.empty() || !document.techniques.empty())
        return "a failed parse left a document behind";
    return {};
}

inline std::string CheckDocument(const Tess::FxDocument& document)
{
    if (document.techniques.empty())
        return "parsed without a technique";
    std::set<std::string> names;
    for (const Tess::FxParameter& parameter : document.parameters)
    {
        if (!names.insert(parameter.name).second)
            return "parameter '" + parameter.name + "' twice";
        if (parameter.defaultValue.size() != parameter.ByteSize())
            return "default of '" + parameter.name + "' has " + std::to_string(parameter.defaultValue.size()) +
                   " bytes for " + std::to_string(parameter.ByteSize());
        if (parameter.elements > Tess::CFxParser::kMaxArrayElements)
            return "array '" + parameter.name + "' beyond the limit";
    }
    for (const Tess::FxTechnique& technique : document.techniques)
    {
        if (technique.passes.empty())
            return "technique '" + technique.name + "' without a pass";
        for (const Tess::FxPass& pass : technique.passes)
        {
            for (const auto* blocks : {&pass.vertexBlocks, &pass.pixelBlocks})
            {
                for (std::uint32_t block : *blocks)
                {
                    if (block >= document.blocks.size())
                        return "pass '" + pass.name + "' names block " + std::to_string(block);
                }
            }
        }
    }
    return {};
}

inline std::string CheckStage(const Tess::FxDocument& document, const std::vector<Tess::FxParameterLayout>& layout,
                              const std::vector<std::uint32_t>& blocks, bool vertex)
{
    const Tess::FxStageSource stage = Tess::CFxShaderBuilder::BuildStage(document, layout, blocks, vertex);
    for (std::uint32_t block : blocks)
    {
        if (stage.source.find(document.blocks[block].code) == std::string::npos)
            return "stage source lacks the code of block '" + document.blocks[block].name + "'";
    }
    for (std::uint32_t i : stage.parameters)
    {
        if (i >= document.parameters.size() || Tess::IsFxTexture(document.parameters[i].type))
            return "stage lists parameter " + std::to_string(i) + " as numeric";
    }
    for (std::uint32_t i : stage.textures)
    {
        if (i >= document.parameters.size() || !Tess::IsFxTexture(document.parameters[i].type))
            return "stage lists parameter " + std::to_string(i) + " as a texture";
    }
    // The Direct3D 9 form, where every block has one: a stage of the right version, or messages
    // on lines of the file.
    if (blocks.empty() || !std::all_of(blocks.begin(), blocks.end(), [&](std::uint32_t b) { return document.blocks[b].hasAsm9; }))
        return {};
    Tess::FxStageSource assembly;
    std::string errors;
    if (Tess::CFxAssemblyBuilder::BuildStage(document, layout, blocks, vertex, kFileName, assembly, errors))
        return assembly.source.rfind(vertex ? "vs_3_0\n" : "ps_3_0\n", 0) == 0 ? "" : "assembly stage without its version";
    if (errors.rfind(kFileName + "(", 0) != 0 || errors.find("): error: ") == std::string::npos)
        return "malformed assembly stage error: " + errors;
    return {};
}

inline std::string CheckLayout(const Tess::FxDocument& document, const std::vector<Tess::FxParameterLayout>& layout)
{
    if (layout.size() != document.parameters.size())
        return "layout of " + std::to_string(layout.size()) + " for " + std::to_string(document.parameters.size()) +
               " parameters";
    for (std::size_t i = 0; i < layout.size(); ++i)
    {
        const bool texture = Tess::IsFxTexture(document.parameters[i].type);
        if (texture && (layout[i].textureStage < 0 ||
                        layout[i].textureStage >= static_cast<std::int32_t>(Tess::CFxShaderBuilder::kMaxTextures)))
            return "texture '" + document.parameters[i].name + "' on stage " + std::to_string(layout[i].textureStage);
        if (!texture && layout[i].firstRegister + layout[i].registerCount > Tess::CFxShaderBuilder::kMaxRegisters)
            return "parameter '" + document.parameters[i].name + "' past the last register";
    }
    return {};
}

} // namespace EffectDetail

inline SCheckResult CheckEffectParser(const std::uint8_t* data, std::size_t size)
{
    using namespace EffectDetail;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // Compiler output is text from outside too; the mapping must read any of it.
    const std::string mapped = Tess::CFxShaderBuilder::MapCompilerMessages(std::string(text), kFileName, "pass P0");
    if (!text.empty() && text.find_first_not_of(" \t\r\n") != std::string_view::npos && mapped.empty())
        return Fault("compiler messages mapped to nothing");

    Tess::FxDocument document;
    document.blocks.push_back({"stale", "stale", 1, true, "stale", 1, true});
    std::string error;
    if (!Tess::CFxParser::Parse(text, kFileName, document, error))
    {
        if (std::string fault = CheckError(error, text, document); !fault.empty())
            return Fault(fault);
        return Rejected();
    }
    if (!error.empty())
        return Fault("a successful parse reported: " + error);
    if (std::string fault = CheckDocument(document); !fault.empty())
        return Fault(fault);

    std::vector<Tess::FxParameterLayout> layout;
    if (!Tess::CFxShaderBuilder::ComputeLayout(document, kFileName, layout, error))
        return Accepted();
    if (std::string fault = CheckLayout(document, layout); !fault.empty())
        return Fault(fault);
    for (const Tess::FxTechnique& technique : document.techniques)
    {
        for (const Tess::FxPass& pass : technique.passes)
        {
            for (const bool vertex : {true, false})
            {
                const std::string fault = CheckStage(document, layout, vertex ? pass.vertexBlocks : pass.pixelBlocks, vertex);
                if (!fault.empty())
                    return Fault(fault);
            }
        }
    }
    return Accepted();
}

} // namespace TessFuzz
