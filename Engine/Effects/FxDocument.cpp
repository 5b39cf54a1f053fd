#include "Engine/Effects/FxDocument.h"

namespace Tess
{

FxTypeShape GetFxTypeShape(EFxType type)
{
    switch (type)
    {
    case EFxType::Float2: return {1, 2};
    case EFxType::Float3: return {1, 3};
    case EFxType::Float4: return {1, 4};
    case EFxType::Float4x4: return {4, 4};
    case EFxType::Float4x3: return {4, 3};
    default: return {1, 1};
    }
}

bool IsFxTexture(EFxType type)
{
    return type == EFxType::Texture2D || type == EFxType::TextureCube;
}

std::uint32_t GetFxElementBytes(EFxType type)
{
    const FxTypeShape shape = GetFxTypeShape(type);
    return 4 * shape.rows * shape.columns;
}

std::uint32_t GetFxElementRegisters(EFxType type)
{
    return IsFxTexture(type) ? 0 : GetFxTypeShape(type).rows;
}

} // namespace Tess
