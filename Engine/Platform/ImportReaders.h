#pragma once
// The file readers themselves, run in the calling process. Third-party parsers crash and hang on
// hostile files, so the engine runs them only inside the import helper programs (see
// ImportSandbox.h); the helpers, the fuzzers and the tests of the readers call them here.

#include "Engine/Platform/ImportedScene.h"

#include <string>

namespace Tess
{

// The reason either reader gives when an allocation failed.
constexpr const char* kReaderOutOfMemory = "it needs more memory than there is";

// STL, OBJ, glTF and PLY through assimp (Assimp/): one part, unnamed, with every mesh of the
// file merged and placed by its nodes. A glTF or OBJ file may name other files only inside its
// own folder, and only regular files.
bool ReadMeshScene(const std::string& path, SImportedScene& out, std::string& whyNot);

enum class ECadFormat
{
    Step,
    Iges
};

// How long meshing may take, and how fine it is.
struct SCadMeshing
{
    // The largest distance between a face and its triangles, as a share of the shape's diagonal.
    double relativeDeflection = 0.001;
    // The largest angle, in radians, between neighbouring triangles of a curved face.
    double angularDeflection = 0.5;
    // Seconds a shape may take at the fine settings, and then again at coarse ones (five times
    // the deflection, twice the angle) before it is given up.
    double secondsPerShape = 8.0;
    // Seconds all the meshing of a file may take; shapes met after that are given up.
    double secondsPerFile = 40.0;
};

// STEP (AP203, AP214, AP242) and IGES through Open CASCADE (OpenCascade/): one part per placed
// leaf of the assembly, in the file's order, in millimetres whatever unit the file declares.
bool ReadCadScene(const std::string& path, ECadFormat format, const SCadMeshing& meshing, SImportedScene& out,
                  std::string& whyNot);

// The format of a STEP or IGES file from its name's ending; false for other names.
bool CadFormatOf(const std::string& path, ECadFormat& format);

// The file name's ending after its last dot, in lower case ("" without one).
std::string LowerCaseExtension(const std::string& path);

// Why the file cannot be read at all ("the file does not exist", "it is not a file", "it is
// larger than 128 MB"), or "" when a reader may try it.
std::string CheckImportedFile(const std::string& path);

} // namespace Tess
