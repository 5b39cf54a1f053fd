// libFuzzer target: the MilkShape 3D loader on arbitrary bytes (see ModelLoaderCheck.h).
#include "ModelLoaderCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TessFuzz::AbortOnFault(TessFuzz::CheckModelLoader(data, size));
    return 0;
}
