#pragma once
// The MilkShape 3D model loader (".ms3d", versions 3 and 4). It reads the geometry of a file
// into a new CTriMesh with the elements "POSITION", "TEXCOORDS0" and "NORMAL"; groups and
// materials are read past, and anything after the materials is ignored.

#include <cstddef>
#include <cstdint>
#include <string>

namespace Tess
{

class CTriMesh;

// Why a model was or was not read. The loader writes no message: a caller that wants one makes
// it from this.
enum class EModelLoadResult
{
    Loaded,
    // No file at the path.
    Missing,
    // Not a regular file, not readable, or too large to be a model.
    Unreadable,
    // A version other than 3 or 4.
    WrongVersion,
    // The file ends before its last material.
    Truncated,
    // A triangle names a vertex the file does not have.
    IndexOutOfRange,
};

// A new mesh owned by the caller, or null when the file cannot be read or is not accepted; the
// reason goes to `result` when one is given. The file is read with one read and closed before
// returning.
CTriMesh* LoadMeshMS3D(std::string path, EModelLoadResult* result = nullptr);

// The same for a file already in memory (size bytes at data). Nothing outside that range is
// read.
CTriMesh* LoadMeshMS3DFromMemory(const std::uint8_t* data, std::size_t size, EModelLoadResult* result = nullptr);

// The reason in a few words, for a log line: "no such file", "the file is cut short", ...
const char* DescribeModelLoadResult(EModelLoadResult result);

} // namespace Tess
