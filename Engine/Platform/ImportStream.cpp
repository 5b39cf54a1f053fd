#include "Engine/Platform/ImportStream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace Tess
{

namespace
{

constexpr char kMagic[8] = {'T', 'E', 'S', 'S', 'I', 'M', 'P', '1'};
constexpr std::uint8_t kRead = 1;
constexpr std::uint8_t kNotRead = 0;
// Mesh flags: arrays that are all zeros are not sent.
constexpr std::uint8_t kHasNormals = 1;
constexpr std::uint8_t kHasTexcoords = 2;
// A reason is a log line's worth.
constexpr std::size_t kMaxReasonBytes = 200;
constexpr const char* kMalformed = "the reader's answer is malformed";

class CStreamWriter
{
public:
    template <typename T>
    void Put(const T& value)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        PutBytes(&value, sizeof value);
    }

    template <typename T>
    void PutArray(const std::vector<T>& values)
    {
        PutBytes(values.data(), values.size() * sizeof(T));
    }

    void PutText(const std::string& text)
    {
        const std::string clean = CleanImportedText(text);
        Put(static_cast<std::uint32_t>(clean.size()));
        PutBytes(clean.data(), clean.size());
    }

    void PutBytes(const void* data, std::size_t size)
    {
        const std::size_t at = m_bytes.size();
        m_bytes.resize(at + size);
        if (size > 0)
            std::memcpy(m_bytes.data() + at, data, size);
    }

    std::string Take() { return std::move(m_bytes); }

private:
    std::string m_bytes;
};

// Reads what the writer wrote; any shortfall or impossible value sets the reader failed, and
// every later read then fails too.
class CStreamReader
{
public:
    explicit CStreamReader(std::string_view bytes) : m_bytes(bytes) {}

    template <typename T>
    bool Get(T& value)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        return GetBytes(&value, sizeof value);
    }

    // `count` values, refused before anything is allocated when the stream cannot hold them.
    template <typename T>
    bool GetArray(std::vector<T>& values, std::uint64_t count)
    {
        if (!m_ok || count > Left() / sizeof(T))
            return Fail();
        values.resize(static_cast<std::size_t>(count));
        return GetBytes(values.data(), values.size() * sizeof(T));
    }

    bool GetText(std::string& text, std::size_t maxBytes)
    {
        std::uint32_t size = 0;
        if (!Get(size) || size > maxBytes || size > Left())
            return Fail();
        text = CleanImportedText(m_bytes.substr(m_at, size), maxBytes);
        m_at += size;
        return true;
    }

    bool GetBytes(void* out, std::size_t size)
    {
        if (!m_ok || size > Left())
            return Fail();
        if (size > 0)
            std::memcpy(out, m_bytes.data() + m_at, size);
        m_at += size;
        return true;
    }

    std::size_t Left() const { return m_bytes.size() - m_at; }
    bool Ok() const { return m_ok; }
    bool Fail() { return m_ok = false; }

private:
    std::string_view m_bytes;
    std::size_t m_at = 0;
    bool m_ok = true;
};

bool AllZero(const std::vector<float>& values)
{
    return std::all_of(values.begin(), values.end(), [](float v) { return v == 0.0f; });
}

void PutMesh(CStreamWriter& writer, const SImportedModel& mesh)
{
    const bool normals = !AllZero(mesh.normals);
    const bool texcoords = !AllZero(mesh.texcoords);
    writer.Put(static_cast<std::uint32_t>(mesh.GetVertexCount()));
    writer.Put(static_cast<std::uint32_t>(mesh.indices.size()));
    writer.Put(static_cast<std::uint8_t>((normals ? kHasNormals : 0) | (texcoords ? kHasTexcoords : 0)));
    writer.PutArray(mesh.positions);
    if (normals)
        writer.PutArray(mesh.normals);
    if (texcoords)
        writer.PutArray(mesh.texcoords);
    writer.PutArray(mesh.indices);
}

void PutPart(CStreamWriter& writer, const SImportedScenePart& scenePart)
{
    const SImportedPart& part = scenePart.part;
    for (const std::string* text : {&part.name, &part.manufacturer, &part.partNumber, &part.description, &part.whyEmpty})
        writer.PutText(*text);
    writer.Put(static_cast<std::uint8_t>(part.hasColour ? 1 : 0));
    writer.Put(part.colour);
    writer.Put(scenePart.mesh);
    writer.Put(scenePart.placement);
}

bool AllFinite(const std::vector<float>& values)
{
    return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

bool GetMesh(CStreamReader& reader, SImportedModel& mesh)
{
    std::uint32_t vertices = 0, indices = 0;
    std::uint8_t flags = 0;
    if (!reader.Get(vertices) || !reader.Get(indices) || !reader.Get(flags) || (flags & ~(kHasNormals | kHasTexcoords)) ||
        indices % 3 != 0)
        return reader.Fail();
    if (!reader.GetArray(mesh.positions, 3ull * vertices))
        return false;
    if (flags & kHasNormals)
        reader.GetArray(mesh.normals, 3ull * vertices);
    else
        mesh.normals.assign(3ull * vertices, 0.0f);
    if (flags & kHasTexcoords)
        reader.GetArray(mesh.texcoords, 2ull * vertices);
    else
        mesh.texcoords.assign(2ull * vertices, 0.0f);
    if (!reader.GetArray(mesh.indices, indices))
        return false;
    if (!AllFinite(mesh.positions) || !AllFinite(mesh.normals) || !AllFinite(mesh.texcoords))
        return reader.Fail();
    return std::all_of(mesh.indices.begin(), mesh.indices.end(), [vertices](std::uint32_t i) { return i < vertices; }) ||
           reader.Fail();
}

bool GetPart(CStreamReader& reader, std::size_t meshCount, SImportedScenePart& scenePart)
{
    SImportedPart& part = scenePart.part;
    for (std::string* text : {&part.name, &part.manufacturer, &part.partNumber, &part.description, &part.whyEmpty})
        reader.GetText(*text, kMaxImportedTextBytes);
    std::uint8_t hasColour = 0;
    if (!reader.Get(hasColour) || !reader.Get(part.colour) || !reader.Get(scenePart.mesh) ||
        !reader.Get(scenePart.placement) || hasColour > 1)
        return reader.Fail();
    part.hasColour = hasColour == 1;
    if (!std::all_of(std::begin(part.colour), std::end(part.colour), [](float c) { return c >= 0.0f && c <= 1.0f; }))
        return reader.Fail();
    if (scenePart.mesh != kNoImportedMesh && scenePart.mesh >= meshCount)
        return reader.Fail();
    return std::all_of(scenePart.placement.begin(), scenePart.placement.end(),
                       [](double v) { return std::isfinite(v); }) ||
           reader.Fail();
}

// Items are added as they are read, never made ahead from a count: a count is only a claim.
bool GetScene(CStreamReader& reader, SImportedScene& scene)
{
    std::uint32_t meshCount = 0;
    if (!reader.Get(meshCount))
        return false;
    for (std::uint32_t m = 0; m < meshCount; ++m)
    {
        if (!GetMesh(reader, scene.meshes.emplace_back()))
            return false;
    }
    std::uint32_t partCount = 0;
    if (!reader.Get(partCount))
        return false;
    for (std::uint32_t p = 0; p < partCount; ++p)
    {
        if (!GetPart(reader, scene.meshes.size(), scene.parts.emplace_back()))
            return false;
    }
    return reader.Ok() && reader.Left() == 0;
}

// The length of the UTF-8 sequence starting at `text[at]`, or 0 when none starts there.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        length = 3;
        // No overlong forms, no surrogates.
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || at + length > text.size())
        return 0;
    if (byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
    {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    }
    return length;
}

} // namespace

bool IsValidUtf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();)
    {
        const std::size_t length = Utf8SequenceLength(text, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

std::string CleanImportedText(std::string_view text, std::size_t maxBytes)
{
    static constexpr char kReplacement[] = "\xEF\xBF\xBD";
    std::string clean;
    for (std::size_t at = 0; at < text.size();)
    {
        const std::size_t length = Utf8SequenceLength(text, at);
        std::string_view piece = length ? text.substr(at, length) : std::string_view(kReplacement, 3);
        const auto first = static_cast<unsigned char>(piece[0]);
        if (length == 1 && (first < 0x20 || first == 0x7F))
            piece = " ";
        // A C1 control character (U+0080 to U+009F) breaks a log line as C0 ones do.
        else if (length == 2 && first == 0xC2 && static_cast<unsigned char>(piece[1]) < 0xA0)
            piece = " ";
        if (clean.size() + piece.size() > maxBytes)
            break;
        clean += piece;
        at += length ? length : 1;
    }
    const std::size_t begin = clean.find_first_not_of(' ');
    if (begin == std::string::npos)
        return {};
    return clean.substr(begin, clean.find_last_not_of(' ') - begin + 1);
}

std::string EncodeImportResult(const SImportedScene& scene)
{
    CStreamWriter writer;
    writer.PutBytes(kMagic, sizeof kMagic);
    writer.Put(kRead);
    writer.Put(static_cast<std::uint32_t>(scene.meshes.size()));
    for (const SImportedModel& mesh : scene.meshes)
        PutMesh(writer, mesh);
    writer.Put(static_cast<std::uint32_t>(scene.parts.size()));
    for (const SImportedScenePart& part : scene.parts)
        PutPart(writer, part);
    return writer.Take();
}

std::string EncodeImportFailure(const std::string& whyNot)
{
    CStreamWriter writer;
    writer.PutBytes(kMagic, sizeof kMagic);
    writer.Put(kNotRead);
    const std::string reason = CleanImportedText(whyNot, kMaxReasonBytes);
    writer.Put(static_cast<std::uint32_t>(reason.size()));
    writer.PutBytes(reason.data(), reason.size());
    return writer.Take();
}

bool DecodeImportResult(std::string_view bytes, SImportedScene& scene, std::string& whyNot)
{
    scene = {};
    CStreamReader reader(bytes);
    char magic[sizeof kMagic] = {};
    std::uint8_t status = 0;
    if (reader.GetBytes(magic, sizeof magic) && std::memcmp(magic, kMagic, sizeof magic) == 0 && reader.Get(status))
    {
        if (status == kNotRead && reader.GetText(whyNot, kMaxReasonBytes) && reader.Left() == 0 && !whyNot.empty())
            return false;
        if (status == kRead && GetScene(reader, scene))
            return true;
    }
    scene = {};
    whyNot = kMalformed;
    return false;
}

} // namespace Tess
