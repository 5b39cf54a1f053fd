#pragma once
// The names effect files use for device states and their values (CullMode = CCW, SrcBlend =
// SrcAlpha, MinFilter = Linear, ...), mapped to the device's state numbers. Names compare
// without regard to case, as effect authors are used to.

#include "Engine/Effects/FxDocument.h"

#include <cstdint>
#include <string_view>

namespace Tess
{

struct FxValueName
{
    const char* name;
    std::uint32_t value;
};

// How a state's value is written: one name of its table, a number, or names and numbers or-ed
// together with '|'.
enum class EFxValueKind : std::uint8_t { Named, Number, Mask };

struct FxStateName
{
    const char* name;
    EFxStateTarget target;
    std::uint32_t state;
    EFxValueKind kind;
    const FxValueName* values; // may be null for plain numbers
    std::uint32_t valueCount;
};

// The state of that target with that name, or null.
const FxStateName* FindFxStateName(std::string_view name, EFxStateTarget target);
// The number of a value name of the state; false when the state has no such value.
bool FindFxStateValue(const FxStateName& state, std::string_view name, std::uint32_t& value);
bool IsFxNumericState(const FxStateName& state);
bool IsFxMaskState(const FxStateName& state);
// Whether two names are the same, letter case aside, as effect files compare state and stage names.
bool FxNamesEqual(std::string_view a, std::string_view b);

} // namespace Tess
