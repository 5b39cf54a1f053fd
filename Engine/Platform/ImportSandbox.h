#pragma once
// Exchange-format readers (assimp, Open CASCADE) are large parsers of files from anywhere, and
// some crash or hang on real files; a signal handler cannot make a crashed reader safe to go on
// with. So the viewer never runs them itself: the import helper program (tesserant-import,
// installed beside the viewer) reads the file in a process of its own, under limits of time and
// memory, and hands back its meshes as an import stream (ImportStream.h). Whatever the helper
// does, the calling process goes on: a crash, a hang or an exhausted memory is a reason, not an
// end.
//
// Builds without the helper (Windows) answer every exchange-format file with "the format is not
// available in this build".

#include "Engine/Platform/ImportedScene.h"

#include <cstdint>
#include <string>

namespace Tess
{

struct SImportLimits
{
    // Wall-clock seconds before the helper is killed.
    double seconds = 60.0;
    // Processor seconds, over all its threads (meshing runs on every core).
    double cpuSeconds = 240.0;
    // Bytes of data the helper may hold.
    std::uint64_t memoryBytes = std::uint64_t(2048) << 20;
};

// The helper program's name, as built and installed.
constexpr const char* kImportHelperName = "tesserant-import";

// Uses this helper program from now on, in place of the one found beside the running program
// (tests point at the one in the build tree, or at a fake). An empty path restores the search.
void SetImportHelperPath(const std::string& path);

// The helper in use: the one set above, else tesserant-import beside the running program, else
// the installed one; "" when there is none.
std::string FindImportHelper();

// Runs the helper on the file (the helper picks the reader by the file's name) and decodes its
// answer. False, with `whyNot` in a few words, when the helper is missing, cannot read the file,
// crashes, runs out of time or memory, or answers with anything but a well-formed scene.
bool RunImportHelper(const std::string& path, const SImportLimits& limits, SImportedScene& out, std::string& whyNot);

// The file descriptor the helper writes its answer to (standard output and error are closed,
// as a library's chatter must not mix with the answer).
constexpr int kImportAnswerDescriptor = 3;

} // namespace Tess
