#pragma once
// CFxShaderBuilder: turns the GLSL blocks of an effect pass into stage sources that follow the
// device's shader interface (docs/ShaderInterface.md). Numeric parameters live in constant
// registers (one per matrix row and per array element), textures in sampler stages in order of
// declaration, and each parameter a stage names is read through a generated accessor that bears
// the parameter's own name. `#line` directives keep compiler messages on the lines of the file,
// and MapCompilerMessages rewrites them as "file(line): ...".

#include "Engine/Effects/FxParser.h"

#include <string>
#include <vector>

namespace Tess
{

// Where a parameter lives on the device.
struct FxParameterLayout
{
    std::uint32_t firstRegister = 0; // numeric parameters: first constant register
    std::uint32_t registerCount = 0; // 0 for textures
    std::int32_t textureStage = -1;  // textures: the sampler stage, in order of declaration
};

struct FxStageSource
{
    std::string source;
    // Numeric parameters the stage reads (indices into the document's parameters), ascending.
    std::vector<std::uint32_t> parameters;
    // Texture parameters the stage samples, ascending.
    std::vector<std::uint32_t> textures;
};

class CFxShaderBuilder
{
public:
    static constexpr std::uint32_t kMaxRegisters = 256;
    static constexpr std::uint32_t kMaxTextures = 16;

    // Registers and sampler stages of every parameter; false with a message when the effect
    // needs more registers or textures than the device offers.
    static bool ComputeLayout(const FxDocument& document, const std::string& fileName,
                              std::vector<FxParameterLayout>& layout, std::string& error);

    // The source of one stage made of the given blocks (vertex or pixel).
    static FxStageSource BuildStage(const FxDocument& document, const std::vector<FxParameterLayout>& layout,
                                    const std::vector<std::uint32_t>& blocks, bool vertex);

    // Rewrites the compiler's lines "0:12(5): error: ..." as "file(12): error: ..."; lines of
    // the generated part and lines it cannot read are kept, labelled with `context`.
    static std::string MapCompilerMessages(const std::string& messages, const std::string& fileName,
                                           const std::string& context);
};

} // namespace Tess
