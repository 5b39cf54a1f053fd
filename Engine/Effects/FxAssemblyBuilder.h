#pragma once
// CFxAssemblyBuilder: the Direct3D 9 form of an effect pass's stage. It joins the `asm9` blocks
// the pass names into one vs_3_0 or ps_3_0 text for CShaderAssembler, with every parameter name
// replaced by its registers from the same layout the GLSL form uses (CFxShaderBuilder::
// ComputeLayout): `World` is c<first>, `World[2]` the third register (row) of the parameter,
// `Palette[a0.x + 2]` a relative read, and a texture its sampler register sN, declared by the
// builder. `#line` directives keep the assembler's messages on the lines of the effect file.

#include "Engine/Effects/FxShaderBuilder.h"

#include <string>
#include <vector>

namespace Tess
{

class CFxAssemblyBuilder
{
public:
    // The stage made of the assembly forms of `blocks` (each must have one). False with
    // "file(line): error: message" lines when the code uses a parameter wrongly: an index past
    // its registers, a texture in the vertex stage, a `def` over a parameter's registers.
    static bool BuildStage(const FxDocument& document, const std::vector<FxParameterLayout>& layout,
                           const std::vector<std::uint32_t>& blocks, bool vertex, const std::string& fileName,
                           FxStageSource& out, std::string& errors);

    // Rewrites the assembler's lines "12: message" as "file(12): error: message"; other lines are
    // kept, labelled with `context`.
    static std::string MapAssemblerMessages(const std::string& messages, const std::string& fileName,
                                            const std::string& context);
};

} // namespace Tess
