#pragma once
// Check of the Direct3D 9 shader assembler on arbitrary text. Assembled output must be a stream
// a device can walk: the version token first, every instruction's length (bits 24-27) leading
// exactly to the next instruction, and the end token last. A rejected text yields no tokens and
// one or more "line: message" lines.

#include "FuzzCheck.h"

#include "Engine/Effects/ShaderAssembler.h"

#include <cstdint>
#include <string>
#include <vector>

namespace TessFuzz
{

inline std::string CheckAssemblerErrors(const std::string& errors)
{
    if (errors.empty())
        return "rejected without a message";
    std::size_t start = 0;
    while (start <= errors.size())
    {
        std::size_t end = errors.find('\n', start);
        if (end == std::string::npos)
            end = errors.size();
        const std::string line = errors.substr(start, end - start);
        const std::size_t colon = line.find(": ");
        if (colon == std::string::npos || colon == 0 || line.find_first_not_of("0123456789") != colon)
            return "malformed error line: " + line;
        start = end + 1;
    }
    return {};
}

inline std::string CheckTokenStream(const std::vector<std::uint32_t>& tokens)
{
    using Tess::CShaderAssembler;
    if (tokens.size() < 2 || (tokens.front() != CShaderAssembler::kVertexVersion30 &&
                              tokens.front() != CShaderAssembler::kPixelVersion30))
        return "stream without a version token";
    std::size_t i = 1;
    while (i + 1 < tokens.size())
    {
        const std::uint32_t instruction = tokens[i];
        if ((instruction & 0x80000000u) != 0 || (instruction & 0xFFFF) == 0xFFFF)
            return "parameter or end token where an instruction belongs, at " + std::to_string(i);
        const std::size_t length = (instruction >> 24) & 0xF;
        // Parameter tokens have bit 31 set; def, defi and defb follow their register with raw values.
        const std::uint32_t opcode = instruction & 0xFFFF;
        const std::size_t parameters = opcode == 81 || opcode == 47 || opcode == 48 ? 1 : length;
        for (std::size_t p = i + 1; p <= i + parameters && p < tokens.size(); ++p)
        {
            if ((tokens[p] & 0x80000000u) == 0)
                return "instruction at " + std::to_string(i) + " is followed by a non-parameter token";
        }
        i += 1 + length;
    }
    if (i != tokens.size() - 1 || tokens.back() != CShaderAssembler::kEndToken)
        return "instruction lengths do not lead to the end token";
    return {};
}

inline SCheckResult CheckShaderAssembler(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::uint32_t> tokens = {0xDEADBEEF};
    std::string errors = "stale";
    if (!Tess::CShaderAssembler::Assemble(text, tokens, errors))
    {
        if (!tokens.empty())
            return Fault("a rejected text left tokens behind");
        if (std::string fault = CheckAssemblerErrors(errors); !fault.empty())
            return Fault(fault);
        return Rejected();
    }
    if (!errors.empty())
        return Fault("an assembled text reported: " + errors);
    if (std::string fault = CheckTokenStream(tokens); !fault.empty())
        return Fault(fault);
    return Accepted();
}

} // namespace TessFuzz
