// tesserant-import FILE: reads one exchange-format model file (STL, OBJ, glTF, PLY through
// assimp; STEP and IGES through Open CASCADE) and writes what it read, or why it could not, as
// an import stream to descriptor 3. The engine runs it in a process of its own, under limits of
// time and memory (Engine/Platform/ImportSandbox.h): whatever a reader does to this process,
// the viewer goes on.

#include "Engine/Platform/ImportReaders.h"
#include "Engine/Platform/ImportSandbox.h"
#include "Engine/Platform/ImportStream.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <new>
#include <string>

namespace
{

// Written once, before any reader runs: the memory handler must not allocate.
std::string g_outOfMemory;

bool WriteAll(const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size())
    {
        const ssize_t wrote = write(Tess::kImportAnswerDescriptor, bytes.data() + done, bytes.size() - done);
        if (wrote <= 0)
            return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

// A reader that runs out of memory is as good as failed, wherever it was: the answer says so,
// and the process ends at once rather than unwinding through a library in an unknown state.
[[noreturn]] void OnOutOfMemory()
{
    WriteAll(g_outOfMemory);
    _exit(0);
}

std::string OutOfMemoryAnswer()
{
    struct rlimit limit{};
    std::string size = "its limit";
    if (getrlimit(RLIMIT_DATA, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        size = std::to_string(limit.rlim_cur >> 20) + " MB";
    return Tess::EncodeImportFailure("the reader ran out of memory (" + size + ")");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    g_outOfMemory = OutOfMemoryAnswer();
    std::set_new_handler(OnOutOfMemory);
    const std::string path = argv[1];
    Tess::SImportedScene scene;
    std::string whyNot;
    Tess::ECadFormat format;
    const bool read = Tess::CadFormatOf(path, format) ? Tess::ReadCadScene(path, format, Tess::SCadMeshing{}, scene, whyNot)
                                                      : Tess::ReadMeshScene(path, scene, whyNot);
    if (!read && whyNot == Tess::kReaderOutOfMemory)
        return WriteAll(g_outOfMemory) ? 0 : 1;
    const std::string answer = read ? Tess::EncodeImportResult(scene) : Tess::EncodeImportFailure(whyNot);
    return WriteAll(answer) ? 0 : 1;
}
