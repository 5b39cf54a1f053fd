#pragma once
// The exchange formats CAD tools export, written from a generated part so that the viewer ships
// a sample of each: binary STL, OBJ, binary PLY, and glTF 2.0 as text (.gltf, its buffer embedded)
// and binary (.glb). Every format gets the same right-handed coordinates the MilkShape file
// holds, so each sample shows exactly the part its MilkShape twin shows.

#include "MS3DFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ModelGenerator
{

// One group of a model as an indexed mesh of its own: the vertices its triangles use, each with
// the normal and texture coordinates the last triangle using it gave (as the engine's loader
// keeps them), and the triangles renumbered to them.
struct SExchangeMesh
{
    std::string name;
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 3>> normals;
    std::vector<std::array<float, 2>> texcoords;
    std::vector<std::array<std::uint32_t, 3>> triangles;
};

// The model's groups as meshes, in group order; positions multiplied by `scale`.
std::vector<SExchangeMesh> SplitIntoMeshes(const SMS3DModel& model, float scale = 1.0f);

// Binary STL: one solid of every mesh's triangles with their face normals.
std::vector<std::uint8_t> WriteSTL(const std::vector<SExchangeMesh>& meshes);
// OBJ text: one object per mesh, positions, texture coordinates and normals.
std::vector<std::uint8_t> WriteOBJ(const std::vector<SExchangeMesh>& meshes);
// Binary little-endian PLY: all meshes as one.
std::vector<std::uint8_t> WritePLY(const std::vector<SExchangeMesh>& meshes);
// glTF 2.0: a root node with one child node per mesh. Each child's vertices are stored about the
// centre of its box and the node's translation puts them back, as CAD exports place their parts.
// Text with the buffer embedded as base64 (.gltf), or the binary container (.glb).
std::vector<std::uint8_t> WriteGLTF(const std::vector<SExchangeMesh>& meshes, const std::string& rootName);
std::vector<std::uint8_t> WriteGLB(const std::vector<SExchangeMesh>& meshes, const std::string& rootName);

} // namespace ModelGenerator
