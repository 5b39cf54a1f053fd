// Makes the engine's default textures: Data/Textures/default_diffuse.jpg (a neutral, light
// diffuse surface) and Data/Textures/button_texture_4.dds (a button face with a bevel and
// rounded corners, with alpha). Everything is computed from fixed formulas and a fixed-seed
// generator, so a run reproduces the committed files byte for byte.
//
//     make_textures <output directory>      (normally Data/Textures)

#include "Engine/Platform/Images/DdsWriter.h"
#include "Engine/Platform/ImageEncoder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace
{

using Texels = std::vector<std::uint32_t>;

std::uint32_t Argb(int a, int r, int g, int b)
{
    auto clamp = [](int v) { return static_cast<std::uint32_t>(std::clamp(v, 0, 255)); };
    return (clamp(a) << 24) | (clamp(r) << 16) | (clamp(g) << 8) | clamp(b);
}

// A small fixed-seed generator (xorshift32), the same on every platform.
struct Random
{
    std::uint32_t state = 0x2545F491u;
    int Next(int range)
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<int>(state % static_cast<std::uint32_t>(range));
    }
};

// Light grey with a faint, soft grain, so lighting reads on it without a visible pattern.
Texels MakeDiffuse(int size)
{
    Random random;
    std::vector<int> grain(static_cast<std::size_t>(size) * size);
    for (int& g : grain)
        g = random.Next(17) - 8;
    Texels texels(grain.size());
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            // Averaging neighbours (wrapping, so the texture tiles) softens the grain.
            int sum = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    sum += grain[static_cast<std::size_t>((y + dy + size) % size) * size + (x + dx + size) % size];
            const int level = 200 + sum / 9;
            texels[static_cast<std::size_t>(y) * size + x] = Argb(255, level, level, level - 2);
        }
    return texels;
}

// Signed distance from (x, y) to a rounded rectangle; negative inside.
float RoundedRectDistance(float x, float y, float width, float height, float radius)
{
    const float qx = std::fabs(x - width / 2) - (width / 2 - radius);
    const float qy = std::fabs(y - height / 2) - (height / 2 - radius);
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

// A steel-blue face lit from the top left: a light bevel on the upper and left edges, a dark
// one on the lower and right, a soft vertical gradient, and anti-aliased rounded corners.
Texels MakeButton(int width, int height)
{
    constexpr float kRadius = 10.0f, kBevel = 4.0f;
    Texels texels(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const float px = x + 0.5f, py = y + 0.5f;
            const float distance = RoundedRectDistance(px, py, float(width), float(height), kRadius);
            const float coverage = std::clamp(0.5f - distance, 0.0f, 1.0f);
            const float gradient = 1.0f - 0.25f * py / float(height);
            float r = 96 * gradient, g = 128 * gradient, b = 168 * gradient;
            if (-distance < kBevel)
            {
                // Which way this edge faces decides light or shadow.
                const bool lit = std::min(px, py) < std::min(float(width) - px, float(height) - py);
                const float strength = 1.0f - (-distance) / kBevel;
                const float shade = lit ? 1.0f + 0.6f * strength : 1.0f - 0.45f * strength;
                r *= shade;
                g *= shade;
                b *= shade;
            }
            texels[static_cast<std::size_t>(y) * width + x] =
                Argb(int(std::lround(255 * coverage)), int(std::lround(r)), int(std::lround(g)), int(std::lround(b)));
        }
    return texels;
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string directory = argc > 1 ? argv[1] : "Data/Textures";
    constexpr int kDiffuseSize = 256, kButtonWidth = 128, kButtonHeight = 64;

    const Texels diffuse = MakeDiffuse(kDiffuseSize);
    const std::string diffusePath = directory + "/default_diffuse.jpg";
    if (!Tess::WriteImageFile(diffusePath, Tess::D3DXIFF_JPG, kDiffuseSize, kDiffuseSize, diffuse.data()))
    {
        std::fprintf(stderr, "cannot write %s\n", diffusePath.c_str());
        return 1;
    }

    const Texels button = MakeButton(kButtonWidth, kButtonHeight);
    const std::string buttonPath = directory + "/button_texture_4.dds";
    if (!WriteBytes(buttonPath, Tess::WriteDds(kButtonWidth, kButtonHeight, button.data(), true)))
    {
        std::fprintf(stderr, "cannot write %s\n", buttonPath.c_str());
        return 1;
    }
    std::printf("wrote %s and %s\n", diffusePath.c_str(), buttonPath.c_str());
    return 0;
}
