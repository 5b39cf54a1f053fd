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

namespace Tess
{

std::uint32_t DefaultRenderState(std::uint32_t state)
{
    switch (state)
    {
    case D3DRS_ZENABLE: return D3DZB_TRUE;
    case D3DRS_FILLMODE: return D3DFILL_SOLID;
    case D3DRS_ZWRITEENABLE: return 1;
    case D3DRS_SRCBLEND: return D3DBLEND_ONE;
    case D3DRS_DESTBLEND: return D3DBLEND_ZERO;
    case D3DRS_CULLMODE: return D3DCULL_CCW;
    case D3DRS_ZFUNC: return D3DCMP_LESSEQUAL;
    case D3DRS_ALPHAFUNC: return D3DCMP_ALWAYS;
    case D3DRS_LIGHTING: return 1;
    case D3DRS_COLORWRITEENABLE:
        return D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_GREEN | D3DCOLORWRITEENABLE_BLUE |
               D3DCOLORWRITEENABLE_ALPHA;
    case D3DRS_BLENDOP: return D3DBLENDOP_ADD;
    default: return 0; // alpha test and blending off, ALPHAREF 0, AMBIENT 0
    }
}

std::uint32_t DefaultTextureStageState(std::uint32_t stage, std::uint32_t type)
{
    switch (type)
    {
    case D3DTSS_COLOROP: return stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    case D3DTSS_ALPHAOP: return stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    case D3DTSS_COLORARG1:
    case D3DTSS_ALPHAARG1: return D3DTA_TEXTURE;
    case D3DTSS_COLORARG2:
    case D3DTSS_ALPHAARG2: return D3DTA_CURRENT;
    default: return 0;
    }
}

std::uint32_t DefaultSamplerState(std::uint32_t type)
{
    switch (type)
    {
    case D3DSAMP_ADDRESSU:
    case D3DSAMP_ADDRESSV:
    case D3DSAMP_ADDRESSW: return D3DTADDRESS_WRAP;
    case D3DSAMP_MAGFILTER:
    case D3DSAMP_MINFILTER: return D3DTEXF_POINT;
    default: return 0; // no mip filter, border colour 0
    }
}

std::uint32_t VertexCountOf(EPrimitiveType type, std::uint32_t primitiveCount)
{
    if (primitiveCount == 0)
        return 0;
    switch (type)
    {
    case D3DPT_POINTLIST: return primitiveCount;
    case D3DPT_LINELIST: return 2 * primitiveCount;
    case D3DPT_LINESTRIP: return primitiveCount + 1;
    case D3DPT_TRIANGLELIST: return 3 * primitiveCount;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return primitiveCount + 2;
    default: return 0;
    }
}

} // namespace Tess
