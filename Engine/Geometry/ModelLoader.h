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

// A new mesh owned by the caller, or null when the file cannot be read or is not accepted: a
// version other than 3 or 4, a file that ends before the last material, or a triangle naming a
// vertex the file does not have. The file is read with one read and closed before returning.
CTriMesh* LoadMeshMS3D(std::string path);

// The same for a file already in memory (size bytes at data). Nothing outside that range is
// read.
CTriMesh* LoadMeshMS3DFromMemory(const std::uint8_t* data, std::size_t size);

} // namespace Tess
