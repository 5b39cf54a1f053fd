// libFuzzer target: the texture image decoder (JPEG, PNG, BMP, DDS) on arbitrary bytes (see
// ImageCheck.h). The build compiles stb_image into this target with the fuzzer's instrumentation
// (InstrumentedStbImage.c), so the fuzzer is guided through the decoders and the sanitizers
// see inside them.
#include "ImageCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TessFuzz::AbortOnFault(TessFuzz::CheckImageDecoder(data, size));
    return 0;
}
