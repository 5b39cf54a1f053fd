// libFuzzer target: the effect file parser and the shader stage builder on arbitrary text (see
// EffectParserCheck.h). effect.dict gives the fuzzer the format's words.
#include "EffectParserCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TessFuzz::AbortOnFault(TessFuzz::CheckEffectParser(data, size));
    return 0;
}
