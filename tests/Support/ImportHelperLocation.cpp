// Linked into every test program: the engine reads exchange-format files through the import
// helper, which the build puts beside the viewer, not beside the tests.
#include "Engine/Platform/ImportSandbox.h"

namespace
{

const bool g_helperSet = [] {
    Tess::SetImportHelperPath(TESS_IMPORT_HELPER);
    return true;
}();

} // namespace
