// libFuzzer target: the DDS reader on arbitrary bytes (see ImageCheck.h).
#include "ImageCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TessFuzz::AbortOnFault(TessFuzz::CheckDdsReader(data, size));
    return 0;
}
