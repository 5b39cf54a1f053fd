// libFuzzer target: the outline edge mesh builder on small meshes decoded from arbitrary bytes,
// against the quadratic reference construction (see EdgeMeshCheck.h).
#include "EdgeMeshCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TessFuzz::AbortOnFault(TessFuzz::CheckEdgeMesh(data, size));
    return 0;
}
