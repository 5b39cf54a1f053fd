/* stb_image compiled into the image decoder's fuzz target with the fuzzer's coverage and the
 * sanitizers. The engine otherwise links Debian's prebuilt libstb, where the fuzzer could neither
 * see which branches an input reaches nor catch an out-of-bounds access. Definitions in the
 * program take precedence over the shared library's, so the engine's decoder calls these.
 * Debian builds libstb with its assertions on, and a failed one aborts the program, so this copy
 * keeps them on whatever the build type. */
#undef NDEBUG
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
