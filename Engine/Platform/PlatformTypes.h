#pragma once
// Opaque handles and result codes shared by the platform layer's interfaces. The engine sees
// only these; each backend maps them to its own objects.

#include <cstdint>

namespace Tess
{

// A window of the windowing layer (the analogue of HWND).
using WindowHandle = struct SWindowHandle*;
// The running module (the analogue of HINSTANCE).
using InstanceHandle = struct SInstanceHandle*;

// Result of a platform call: 0 for success, negative for failure (COM-style codes).
using Result = std::int32_t;
constexpr Result kOk = 0;
constexpr Result kFail = static_cast<Result>(0x80004005u);
constexpr Result kNoInterface = static_cast<Result>(0x80004002u);
constexpr Result kInvalidCall = static_cast<Result>(0x8876086Cu);
constexpr Result kInputLost = static_cast<Result>(0x8007001Eu);
constexpr Result kNotAcquired = static_cast<Result>(0x8007000Cu);

constexpr bool Succeeded(Result r) { return r >= 0; }
constexpr bool Failed(Result r) { return r < 0; }

// Device objects are small typed ids; 0 means none. A backend never reuses an id while the
// object lives, so ids can be compared the way the engine once compared interface pointers.
template <class Tag>
struct DeviceId
{
    std::uint32_t value = 0;

    constexpr explicit operator bool() const { return value != 0; }
    constexpr bool operator==(const DeviceId&) const = default;
};

} // namespace Tess
