#include "Engine/Effects/ShaderAssembler.h"

#include "Engine/Effects/ShaderAssembly.h"

namespace Tess
{

bool CShaderAssembler::Assemble(const std::string& text, std::vector<std::uint32_t>& tokens, std::string& errors)
{
    Sm3::CShaderAssembly assembly;
    return assembly.Run(text, tokens, errors);
}

} // namespace Tess
