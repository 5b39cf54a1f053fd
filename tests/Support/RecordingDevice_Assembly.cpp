// The recording device as a Direct3D 9 device: stages in shader assembly are assembled with the
// engine's assembler, and a stage pair is checked the way Direct3D 9 matches the vertex stage's
// outputs to the pixel stage's inputs, by declaration usage and index.

#include "Support/RecordingDevice.h"

#include "Engine/Effects/ShaderAssembler.h"

#include <set>
#include <utility>

namespace Tess
{
namespace
{

constexpr std::uint32_t kOpcodeDcl = 31;
constexpr std::uint32_t kRegisterInput = 1;
constexpr std::uint32_t kRegisterOutput = 6;
constexpr std::uint32_t kUsagePosition = 0;
constexpr std::uint32_t kUsageTexcoord = 5;
constexpr std::uint32_t kUsageColor = 10;

using Usage = std::pair<std::uint32_t, std::uint32_t>; // usage, index

// The usages the stage declares on registers of `registerType` (outputs of a vertex stage,
// inputs of a pixel stage), read back from the tokens.
std::set<Usage> DeclaredUsages(const std::vector<std::uint32_t>& tokens, std::uint32_t registerType)
{
    std::set<Usage> usages;
    std::size_t i = 1;
    while (i < tokens.size() && tokens[i] != CShaderAssembler::kEndToken)
    {
        const std::uint32_t instruction = tokens[i];
        const std::size_t length = (instruction >> 24) & 0xF;
        if ((instruction & 0xFFFF) == kOpcodeDcl && i + 2 < tokens.size())
        {
            const std::uint32_t usage = tokens[i + 1];
            const std::uint32_t reg = tokens[i + 2];
            if ((((reg >> 28) & 7) | ((reg >> 8) & 0x18)) == registerType)
                usages.insert({usage & 0x1F, (usage >> 16) & 0xF});
        }
        i += 1 + length;
    }
    return usages;
}

std::string UsageName(const Usage& usage)
{
    const char* name = usage.first == kUsageTexcoord ? "texcoord" : usage.first == kUsageColor ? "color" : "usage ";
    return name + std::to_string(usage.first == kUsageTexcoord || usage.first == kUsageColor ? usage.second : usage.first);
}

bool Assemble(const std::string& source, bool vertex, std::vector<std::uint32_t>& tokens, std::string& errors)
{
    if (!CShaderAssembler::Assemble(source, tokens, errors))
        return false;
    if (tokens.front() != (vertex ? CShaderAssembler::kVertexVersion30 : CShaderAssembler::kPixelVersion30))
    {
        errors = std::string("1: a ") + (vertex ? "vertex stage must be vs_3_0" : "pixel stage must be ps_3_0");
        return false;
    }
    return true;
}

} // namespace

bool CRecordingDevice::CheckAssembly(const std::string& source, bool vertex, std::string& errors) const
{
    std::vector<std::uint32_t> tokens;
    return Assemble(source, vertex, tokens, errors);
}

bool CRecordingDevice::LinkAssembly(const std::string* vertex, const std::string* pixel, std::string& errors) const
{
    std::vector<std::uint32_t> tokens;
    // The device's own vertex stage hands on the vertex colour and the first texture coordinate.
    std::set<Usage> outputs = {{kUsageColor, 0}, {kUsageTexcoord, 0}};
    if (vertex != nullptr)
    {
        if (!Assemble(*vertex, true, tokens, errors))
            return false;
        outputs = DeclaredUsages(tokens, kRegisterOutput);
        if (outputs.count({kUsagePosition, 0}) == 0)
        {
            errors = "error: the vertex stage declares no position output\n";
            return false;
        }
    }
    if (pixel != nullptr)
    {
        if (!Assemble(*pixel, false, tokens, errors))
            return false;
        for (const Usage& input : DeclaredUsages(tokens, kRegisterInput))
        {
            if (outputs.count(input) == 0)
            {
                errors = "error: pixel input " + UsageName(input) + " is not an output of the vertex stage\n";
                return false;
            }
        }
    }
    errors.clear();
    return true;
}

} // namespace Tess
