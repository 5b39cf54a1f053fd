// libFuzzer target: the assimp importer on arbitrary bytes in each of its formats (see
// ImportCheck.h).
#include "ImportCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TessFuzz::AbortOnFault(TessFuzz::CheckAssimpImporter(data, size));
    return 0;
}
