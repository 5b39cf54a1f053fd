#pragma once
// CFontPrefetch: renders fonts on a worker thread before the device asks for them. Finding a
// face and rendering its atlas takes a program about 10 to 25 ms a font, most of it in the
// font library; a program that knows which fonts it loads first starts them while its window
// and device are being made, and the device's CreateFont then takes the finished atlas.
//
// A font is taken only when asked for with exactly the face, height and style it was started
// with; any other is rendered on the spot, as without a prefetch. Process-wide, like the font
// library's own configuration.

#include "Engine/Platform/FontRasterizer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Tess
{

class CFontPrefetch
{
public:
    struct SFont
    {
        std::string faceName;
        std::int32_t pixelHeight = 0;
        bool bold = false;
        bool italic = false;

        auto operator<=>(const SFont&) const = default;
    };

    // Starts rendering the fonts, in this order, one after another on one worker thread. A font
    // already started is not started again.
    static void Start(const std::vector<SFont>& fonts);
    // Fills `raster` with the font: the one started for it, waited for, or one rendered now.
    // False when no face is found or it cannot be read, as CFontRasterizer::Create.
    static bool Rasterize(CFontRasterizer& raster, const SFont& font);
    // Waits for the worker and drops the fonts never asked for.
    static void Discard();
};

} // namespace Tess
