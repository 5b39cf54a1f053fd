#pragma once
// Checks of the image readers on arbitrary bytes: the DDS reader alone, and the decoder every
// texture goes through (DDS, JPEG, PNG, BMP). An accepted image has sizes inside the limits and
// exactly width x height texels; a rejected one leaves the caller's image as it was.

#include "FuzzCheck.h"

#include "Engine/Platform/Images/DdsReader.h"
#include "Engine/Platform/ImageDecoder.h"

#include <cstdint>
#include <string>

namespace TessFuzz
{

namespace ImageDetail
{

// What the caller's image holds before a read; a failed read must leave exactly this.
inline Tess::DecodedImage Sentinel()
{
    Tess::DecodedImage image;
    image.width = 3;
    image.height = 1;
    image.texels = {0xDEADBEEFu, 0x01234567u, 0x89ABCDEFu};
    return image;
}

inline bool SameImage(const Tess::DecodedImage& a, const Tess::DecodedImage& b)
{
    return a.width == b.width && a.height == b.height && a.texels == b.texels;
}

using Reader = bool (*)(const std::uint8_t*, std::size_t, Tess::DecodedImage&);

inline SCheckResult CheckRead(Reader read, const std::uint8_t* data, std::size_t size, Tess::DecodedImage& image)
{
    image = Sentinel();
    if (!read(data, size, image))
    {
        if (!SameImage(image, Sentinel()))
            return Fault("a failed read changed the caller's image");
        return Rejected();
    }
    if (image.width == 0 || image.height == 0 || image.width > Tess::kMaxImageEdge ||
        image.height > Tess::kMaxImageEdge)
        return Fault("accepted an image of " + std::to_string(image.width) + " x " + std::to_string(image.height));
    if (image.texels.size() != static_cast<std::size_t>(image.width) * image.height)
        return Fault(std::to_string(image.texels.size()) + " texels for " + std::to_string(image.width) + " x " +
                     std::to_string(image.height));
    return Accepted();
}

} // namespace ImageDetail

inline SCheckResult CheckDdsReader(const std::uint8_t* data, std::size_t size)
{
    Tess::DecodedImage direct;
    const SCheckResult result = ImageDetail::CheckRead(&Tess::ReadDds, data, size, direct);
    if (!result.fault.empty())
        return result;
    // Textures reach the DDS reader through the decoder; both must read a DDS file alike.
    Tess::DecodedImage decoded;
    const SCheckResult throughDecoder = ImageDetail::CheckRead(&Tess::DecodeImage, data, size, decoded);
    if (!throughDecoder.fault.empty())
        return throughDecoder;
    if (Tess::IsDdsFile(data, size) &&
        (throughDecoder.accepted != result.accepted || !ImageDetail::SameImage(direct, decoded)))
        return Fault("the decoder and the DDS reader disagree on a DDS file");
    return result;
}

inline SCheckResult CheckImageDecoder(const std::uint8_t* data, std::size_t size)
{
    Tess::DecodedImage image;
    return ImageDetail::CheckRead(&Tess::DecodeImage, data, size, image);
}

} // namespace TessFuzz
