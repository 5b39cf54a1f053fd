#pragma once
// Small helpers the recording system and device share; private to them.

#include "Support/RecordingLog.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <vector>

namespace Tess::Recording
{

constexpr std::uint32_t kMaxConstantRegisters = 256;
constexpr std::uint32_t kMaxDeclarationElements = 64;

inline std::uint32_t Bits(float value)
{
    return std::bit_cast<std::uint32_t>(value);
}

inline DeviceCall MakeCall(EDeviceOp op, std::vector<std::uint32_t> args = {})
{
    DeviceCall call;
    call.op = op;
    call.args = std::move(args);
    return call;
}

template <class T>
std::vector<std::uint8_t> BytesOf(const T* data, std::size_t count)
{
    std::vector<std::uint8_t> bytes(count * sizeof(T));
    if (count > 0)
        std::memcpy(bytes.data(), data, bytes.size());
    return bytes;
}

inline std::uint32_t LevelExtent(std::uint32_t extent, std::uint32_t level)
{
    return std::max(1u, extent >> level);
}

inline std::uint32_t FullMipCount(std::uint32_t width, std::uint32_t height)
{
    std::uint32_t levels = 1;
    while ((width >> levels) > 0 || (height >> levels) > 0)
        ++levels;
    return levels;
}

inline std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace Tess::Recording
