// The import sandbox of builds without the import helper (Windows): no exchange-format reader
// exists there, so every such file is refused with the same reason. MilkShape files do not come
// here; the engine reads them itself on every platform.
#include "Engine/Platform/ImportSandbox.h"

namespace Tess
{

void SetImportHelperPath(const std::string&)
{
}

std::string FindImportHelper()
{
    return {};
}

bool RunImportHelper(const std::string&, const SImportLimits&, SImportedScene& out, std::string& whyNot)
{
    out = {};
    whyNot = "the format is not available in this build";
    return false;
}

} // namespace Tess
