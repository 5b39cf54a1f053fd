// libFuzzer target: the STEP and IGES reader on arbitrary bytes (see ImportCheck.h).
#include "ImportCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TessFuzz::AbortOnFault(TessFuzz::CheckCadReader(data, size));
    return 0;
}
