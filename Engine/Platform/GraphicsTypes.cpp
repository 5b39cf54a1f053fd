#include "Engine/Platform/GraphicsTypes.h"

namespace Tess
{

int AttributeLocation(std::uint8_t usage, std::uint8_t usageIndex)
{
    switch (usage)
    {
    case D3DDECLUSAGE_POSITION:
    case D3DDECLUSAGE_POSITIONT:
        return usageIndex == 0 ? 0 : -1;
    case D3DDECLUSAGE_NORMAL:
        return usageIndex == 0 ? 1 : -1;
    case D3DDECLUSAGE_TEXCOORD:
        if (usageIndex == 0)
            return 2;
        return usageIndex < 8 ? 6 + usageIndex : -1; // TEXCOORD1..7 -> 7..13
    case D3DDECLUSAGE_TANGENT:
        return usageIndex == 0 ? 3 : -1;
    case D3DDECLUSAGE_BINORMAL:
        return usageIndex == 0 ? 4 : -1;
    case D3DDECLUSAGE_COLOR:
        return usageIndex == 0 ? 5 : (usageIndex == 1 ? 6 : -1);
    case D3DDECLUSAGE_BLENDWEIGHT:
        return usageIndex == 0 ? 14 : -1;
    case D3DDECLUSAGE_BLENDINDICES:
        return usageIndex == 0 ? 15 : -1;
    default:
        return -1;
    }
}

} // namespace Tess
