// libFuzzer target: the Direct3D 9 shader assembler on arbitrary text (see ShaderAssemblerCheck.h).
#include "ShaderAssemblerCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TessFuzz::AbortOnFault(TessFuzz::CheckShaderAssembler(data, size));
    return 0;
}
