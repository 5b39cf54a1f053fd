// The mesh reader of Engine/Platform/ImportReaders.h, and the model import from memory of
// Engine/Platform/ModelImporter.h, on assimp.
//
// assimp reads dozens of formats and falls back to guessing a file's format from its contents;
// only the five formats the viewer offers are kept registered, so a damaged file never reaches
// the parsers of formats nobody asked for. Every file assimp opens goes through a file system
// that refuses files above the size limit and any file but the model's own and regular files in
// its folder. Everything assimp may throw is caught: a file that cannot be read is a failure with
// a reason, never the end of the program.

#include "Engine/Platform/ImportReaders.h"
#include "Engine/Platform/ModelImporter.h"

#include <assimp/BaseImporter.h>
#include <assimp/DefaultIOSystem.h>
#include <assimp/IOStream.hpp>
#include <assimp/Importer.hpp>
#include <assimp/importerdesc.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string_view>
#include <utility>

namespace Tess
{

namespace
{

constexpr std::array<const char*, 5> kExtensions = {"stl", "obj", "gltf", "glb", "ply"};
// Deeper node trees than this are taken as broken: no exchange file nests parts that deep.
constexpr int kMaxNodeDepth = 256;
// A PLY header longer than this is taken as broken.
constexpr std::size_t kMaxPlyHeaderBytes = 64 * 1024;

std::string ToLower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// assimp's messages quote the file; a reason must stay one short line of the log.
std::string OneLine(std::string text)
{
    constexpr std::size_t kLongest = 200;
    for (char& c : text)
    {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    }
    if (text.size() > kLongest)
        text = text.substr(0, kLongest) + "...";
    return text;
}

std::string TooLargeReason()
{
    return "it is larger than " + std::to_string(kMaxImportedFileBytes >> 20) + " MB";
}

bool IsImportedExtension(const std::string& extension)
{
    return std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end();
}

// The disk as assimp sees it. A model in memory opens nothing. A model file opens itself and the
// files it names (a glTF file's buffers, an OBJ file's materials) only when they are regular
// files inside its own folder: no absolute path, no "..", no way out through a link, and no FIFO
// or device, whose read would block or never end. Nothing above the size limit opens.
class CBoundedIOSystem : public Assimp::DefaultIOSystem
{
public:
    // Files in memory: nothing opens.
    CBoundedIOSystem() = default;

    explicit CBoundedIOSystem(const std::string& modelPath) : m_allowFiles(true), m_modelPath(modelPath)
    {
        // assimp names a file the model refers to by the model's path up to its last slash,
        // then the name the model gives.
        const std::size_t slash = modelPath.find_last_of('/');
        m_folderPrefix = slash == std::string::npos ? std::string() : modelPath.substr(0, slash + 1);
    }

    bool Exists(const char* file) const override
    {
        return m_allowFiles && Refusal(file).empty() && DefaultIOSystem::Exists(file);
    }

    Assimp::IOStream* Open(const char* file, const char* mode) override
    {
        if (!m_allowFiles)
            return nullptr;
        if (std::string refusal = Refusal(file); !refusal.empty())
        {
            m_refusal = std::move(refusal);
            return nullptr;
        }
        Assimp::IOStream* stream = DefaultIOSystem::Open(file, mode);
        if (stream && stream->FileSize() > kMaxImportedFileBytes)
        {
            Close(stream);
            m_refusal = TooLargeReason();
            return nullptr;
        }
        return stream;
    }

    // Why the last file refused was refused, or "".
    const std::string& GetRefusal() const { return m_refusal; }

private:
    std::string Refusal(const char* file) const
    {
        const std::string path(file);
        if (path == m_modelPath)
            return {};
        const std::string named = path.starts_with(m_folderPrefix) ? path.substr(m_folderPrefix.size()) : path;
        const std::string outside = "it names \"" + OneLine(named) + "\", outside its folder";
        if (!path.starts_with(m_folderPrefix) || named.empty() || named.front() == '/')
            return outside;
        for (const std::filesystem::path& component : std::filesystem::path(named))
        {
            if (component == "..")
                return outside;
        }
        std::error_code folderError, pathError, statusError;
        const std::filesystem::path folder =
            std::filesystem::canonical(m_folderPrefix.empty() ? "." : m_folderPrefix, folderError);
        const std::filesystem::path inside = std::filesystem::weakly_canonical(path, pathError).lexically_relative(folder);
        if (folderError || pathError || inside.empty() || *inside.begin() == "..")
            return outside;
        const std::filesystem::file_status status = std::filesystem::status(path, statusError);
        if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
            return "it names \"" + OneLine(named) + "\", which is not a regular file";
        return {};
    }

    bool m_allowFiles = false;
    std::string m_modelPath;
    std::string m_folderPrefix;
    std::string m_refusal;
};

// assimp's PLY reader never returns from a header that ends before its "end_header" line (a
// file cut short), so such a file is refused before it gets there.
bool IsWholePlyHeader(std::string_view start)
{
    return start.starts_with("ply") && start.find("end_header") != std::string_view::npos;
}

// What can be told of a file from its first bytes without assimp; empty when nothing is wrong.
std::string CheckStart(const std::string& extension, std::string_view start)
{
    if (extension == "ply" && !IsWholePlyHeader(start))
        return "its PLY header is incomplete";
    return {};
}

std::string ReadStart(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::string start(kMaxPlyHeaderBytes, '\0');
    file.read(start.data(), static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    return start;
}

bool ImporterReadsOurFormats(const aiImporterDesc* description)
{
    if (!description || !description->mFileExtensions)
        return false;
    std::istringstream extensions(description->mFileExtensions);
    std::string extension;
    while (extensions >> extension)
    {
        if (IsImportedExtension(ToLower(extension)))
            return true;
    }
    return false;
}

// An importer with the five formats' readers only. assimp hands an unregistered reader back to
// the caller, who deletes it.
class CRestrictedImporter
{
public:
    // Reads the model file at `modelPath`, or with an empty path a model in memory.
    explicit CRestrictedImporter(const std::string& modelPath)
        : m_io(modelPath.empty() ? new CBoundedIOSystem() : new CBoundedIOSystem(modelPath))
    {
        // The importer owns its file system from here on.
        m_importer.SetIOHandler(m_io);
        std::vector<Assimp::BaseImporter*> others;
        for (std::size_t i = 0; i < m_importer.GetImporterCount(); ++i)
        {
            if (!ImporterReadsOurFormats(m_importer.GetImporterInfo(i)))
                others.push_back(m_importer.GetImporter(i));
        }
        for (Assimp::BaseImporter* reader : others)
        {
            if (m_importer.UnregisterLoader(reader) == aiReturn_SUCCESS)
                m_unregistered.emplace_back(reader);
        }
        // Points and lines are split off and dropped: an outline needs faces.
        m_importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, aiPrimitiveType_POINT | aiPrimitiveType_LINE);
    }

    ~CRestrictedImporter()
    {
        // The scene first, while every reader that may have made it still exists.
        m_importer.FreeScene();
    }

    Assimp::Importer& Get() { return m_importer; }
    const CBoundedIOSystem& GetIO() const { return *m_io; }

private:
    Assimp::Importer m_importer;
    CBoundedIOSystem* m_io;
    std::vector<std::unique_ptr<Assimp::BaseImporter>> m_unregistered;
};

unsigned int PostProcessFlags()
{
    // No joining of identical vertices and no normals: the engine joins vertices itself
    // (JoinIdenticalVertices, in a single pass where assimp's spatial sort took most of a second
    // and hundreds of megabytes for a dense STL file) and always computes its own normals.
    return aiProcess_Triangulate | aiProcess_SortByPType | aiProcess_ValidateDataStructure;
}

// Collects the triangles of every node's meshes, each placed by the node's accumulated transform.
class CSceneFlattener
{
public:
    CSceneFlattener(const aiScene& scene, SImportedModel& out) : m_scene(scene), m_out(out) {}

    bool Flatten(std::string& whyNot)
    {
        if (!m_scene.mRootNode)
        {
            whyNot = "the file holds no scene";
            return false;
        }
        struct SPending
        {
            const aiNode* node;
            aiMatrix4x4 parent;
            int depth;
        };
        // An explicit stack: a deep tree in a damaged file must not overflow the call stack.
        std::vector<SPending> pending{{m_scene.mRootNode, aiMatrix4x4(), 0}};
        while (!pending.empty())
        {
            const SPending item = pending.back();
            pending.pop_back();
            if (item.depth > kMaxNodeDepth)
            {
                whyNot = "its node tree is nested too deeply";
                return false;
            }
            const aiMatrix4x4 transform = item.parent * item.node->mTransformation;
            for (unsigned int m = 0; m < item.node->mNumMeshes; ++m)
            {
                if (!AddMesh(item.node->mMeshes[m], transform, whyNot))
                    return false;
            }
            // Children pushed last first, so they are visited in file order.
            for (unsigned int c = item.node->mNumChildren; c-- > 0;)
            {
                if (item.node->mChildren[c])
                    pending.push_back({item.node->mChildren[c], transform, item.depth + 1});
            }
        }
        if (m_out.indices.empty())
        {
            whyNot = "the file holds no triangles";
            return false;
        }
        return true;
    }

private:
    bool AddMesh(unsigned int meshIndex, const aiMatrix4x4& transform, std::string& whyNot)
    {
        if (meshIndex >= m_scene.mNumMeshes || !m_scene.mMeshes[meshIndex])
            return true;
        const aiMesh& mesh = *m_scene.mMeshes[meshIndex];
        if (!(mesh.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) || !mesh.mVertices)
            return true;
        if (m_out.GetTriangleCount() + mesh.mNumFaces > kMaxImportedTriangles)
        {
            whyNot = "it has more than " + std::to_string(kMaxImportedTriangles) + " triangles";
            return false;
        }
        const std::size_t first = m_out.GetVertexCount();
        AddVertices(mesh, transform);
        // A mirroring transform turns the faces inside out; swapping two corners turns them back.
        const bool mirrored = transform.Determinant() < 0.0f;
        for (unsigned int f = 0; f < mesh.mNumFaces; ++f)
        {
            const aiFace& face = mesh.mFaces[f];
            if (face.mNumIndices != 3 || !face.mIndices)
                continue;
            std::array<std::uint32_t, 3> corners = {face.mIndices[0], face.mIndices[1], face.mIndices[2]};
            if (corners[0] >= mesh.mNumVertices || corners[1] >= mesh.mNumVertices ||
                corners[2] >= mesh.mNumVertices)
                continue;
            if (mirrored)
                std::swap(corners[1], corners[2]);
            for (std::uint32_t corner : corners)
                m_out.indices.push_back(static_cast<std::uint32_t>(first + corner));
        }
        return true;
    }

    void AddVertices(const aiMesh& mesh, const aiMatrix4x4& transform)
    {
        // Normals turn with the inverse transpose, so a scaled node keeps them perpendicular.
        aiMatrix3x3 normalTransform(transform);
        normalTransform.Inverse().Transpose();
        const aiVector3D* uv = mesh.mTextureCoords[0];
        for (unsigned int v = 0; v < mesh.mNumVertices; ++v)
        {
            const aiVector3D position = transform * mesh.mVertices[v];
            m_out.positions.insert(m_out.positions.end(), {position.x, position.y, position.z});
            aiVector3D normal;
            if (mesh.mNormals)
                normal = (normalTransform * mesh.mNormals[v]).NormalizeSafe();
            m_out.normals.insert(m_out.normals.end(), {normal.x, normal.y, normal.z});
            m_out.texcoords.insert(m_out.texcoords.end(), {uv ? uv[v].x : 0.0f, uv ? uv[v].y : 0.0f});
        }
    }

    const aiScene& m_scene;
    SImportedModel& m_out;
};

// Runs `read` on a restricted importer and flattens what it returns.
template <typename ReadFunction>
bool Import(const std::string& modelPath, const std::string& extension, std::string_view start, ReadFunction read,
            SImportedModel& out, std::string& whyNot)
{
    out = {};
    if (!IsImportedExtension(extension))
    {
        whyNot = "its format is not one of STL, OBJ, glTF or PLY";
        return false;
    }
    whyNot = CheckStart(extension, start);
    if (!whyNot.empty())
        return false;
    try
    {
        CRestrictedImporter importer(modelPath);
        const aiScene* scene = read(importer.Get(), PostProcessFlags());
        if (!scene)
        {
            const char* error = importer.Get().GetErrorString();
            if (!importer.GetIO().GetRefusal().empty())
                whyNot = importer.GetIO().GetRefusal();
            else
                whyNot = error && *error ? OneLine(error) : "the file cannot be read";
            return false;
        }
        if (CSceneFlattener(*scene, out).Flatten(whyNot))
            return true;
    }
    catch (const std::bad_alloc&)
    {
        whyNot = kReaderOutOfMemory;
    }
    catch (...)
    {
        whyNot = "the file cannot be read";
    }
    out = {};
    return false;
}

} // namespace

bool ReadMeshScene(const std::string& path, SImportedScene& out, std::string& whyNot)
{
    out = {};
    whyNot = CheckImportedFile(path);
    if (!whyNot.empty())
        return false;
    SImportedModel model;
    const bool read = Import(
        path, LowerCaseExtension(path), ReadStart(path),
        [&path](Assimp::Importer& importer, unsigned int flags) { return importer.ReadFile(path, flags); }, model,
        whyNot);
    if (!read)
        return false;
    out.meshes.push_back(std::move(model));
    SImportedScenePart& part = out.parts.emplace_back();
    part.mesh = 0;
    return true;
}

bool ImportModelFromMemory(const std::uint8_t* data, std::size_t size, const std::string& extension,
                           SImportedModel& out, std::string& whyNot)
{
    if (!data || size == 0)
    {
        out = {};
        whyNot = "the file is empty";
        return false;
    }
    if (size > kMaxImportedFileBytes)
    {
        out = {};
        whyNot = TooLargeReason();
        return false;
    }
    const std::string hint = ToLower(extension);
    const std::string_view start(reinterpret_cast<const char*>(data), std::min(size, kMaxPlyHeaderBytes));
    return Import(
        std::string(), hint, start,
        [&](Assimp::Importer& importer, unsigned int flags) {
            return importer.ReadFileFromMemory(data, size, flags, hint.c_str());
        },
        out, whyNot);
}

} // namespace Tess
