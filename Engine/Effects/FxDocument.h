#pragma once
// FxDocument: an effect file as the parser reads it (docs/EffectFormat.md): its parameters with
// their types, semantics, defaults and sampler states, its named GLSL blocks, and its techniques
// with their passes, each pass a list of device states and the blocks of its two stages.

#include <cstdint>
#include <string>
#include <vector>

namespace Tess
{

enum class EFxType : std::uint8_t
{
    Float, Float2, Float3, Float4, Float4x4, Float4x3, Int, Bool, Texture2D, TextureCube,
};

// Shape of a type: rows x columns of 4-byte values; textures are 1 x 1 of a TextureId.
struct FxTypeShape
{
    std::uint32_t rows = 1;
    std::uint32_t columns = 1;
};

FxTypeShape GetFxTypeShape(EFxType type);
bool IsFxTexture(EFxType type);
// Bytes of one element: float 4, floatN 4N, float4x4 64, float4x3 48, int and bool 4, texture 4.
std::uint32_t GetFxElementBytes(EFxType type);
// Constant registers of one element: one per matrix row, one for everything else.
std::uint32_t GetFxElementRegisters(EFxType type);

// A device state named in a pass or a texture block: which setter, which state, which value.
enum class EFxStateTarget : std::uint8_t { Render, TextureStage, Sampler };

struct FxState
{
    EFxStateTarget target = EFxStateTarget::Render;
    std::uint32_t stage = 0; // texture stage of TextureStage states (sampler states take the texture's)
    std::uint32_t state = 0; // D3DRS_*, D3DTSS_* or D3DSAMP_* number
    std::uint32_t value = 0;
    int line = 0;
};

struct FxParameter
{
    std::string name;
    std::string semantic;          // empty when none is given
    EFxType type = EFxType::Float;
    std::uint32_t elements = 0;    // 0: not an array
    std::vector<std::uint8_t> defaultValue; // packed bytes of the whole value (zeros if none)
    bool hasDefault = false;
    std::vector<FxState> samplerStates;     // textures only
    int line = 0;

    std::uint32_t ElementCount() const { return elements == 0 ? 1 : elements; }
    std::uint32_t ByteSize() const { return GetFxElementBytes(type) * ElementCount(); }
    std::uint32_t RegisterCount() const { return GetFxElementRegisters(type) * ElementCount(); }
};

// A named block of code that passes use as (part of) a stage, in up to two forms: GLSL
// (`glsl Name { }`) and Direct3D 9 shader assembly (`asm9 Name { }`). A device uses the form of
// its own shader language.
struct FxCodeBlock
{
    std::string name;
    std::string code;            // the GLSL form
    int firstLine = 0;           // file line of the code's first line
    bool hasGlsl = true;         // false when the file gives only the assembly form
    std::string asm9Code;        // the Direct3D 9 assembly form
    int asm9FirstLine = 0;
    bool hasAsm9 = false;
};

struct FxPass
{
    std::string name;
    std::vector<FxState> states;
    std::vector<std::uint32_t> vertexBlocks; // indices into FxDocument::blocks, in order; empty: built-in
    std::vector<std::uint32_t> pixelBlocks;
    int line = 0;
};

struct FxTechnique
{
    std::string name;
    std::vector<FxPass> passes;
    int line = 0;
};

struct FxDocument
{
    std::vector<FxParameter> parameters;
    std::vector<FxCodeBlock> blocks;
    std::vector<FxTechnique> techniques;
};

} // namespace Tess
