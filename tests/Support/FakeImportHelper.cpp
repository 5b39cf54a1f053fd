// tesserant-import-fake FILE: an import helper that misbehaves as the file's first word asks,
// for tests of the engine's and the viewer's side of the import sandbox. Copy it beside the
// program under test as tesserant-import.
//   abort    dies of SIGABRT, as a reader that crashes
//   sleep    never answers, as a reader that hangs
//   garbage  answers with bytes that are no import stream
//   silent   ends without a word
//   anything else: answers that it read nothing
#include "Engine/Platform/ImportSandbox.h"
#include "Engine/Platform/ImportStream.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    std::ifstream file(argv[1]);
    std::string word;
    file >> word;
    std::string answer = Tess::EncodeImportFailure("the fake reader read nothing");
    if (word == "abort")
        std::abort();
    if (word == "sleep")
    {
        for (;;)
            pause();
    }
    if (word == "silent")
        return 0;
    if (word == "garbage")
        answer = "TESSIMP1\x01\xff\xff\xff\xff";
    return write(Tess::kImportAnswerDescriptor, answer.data(), answer.size()) == static_cast<ssize_t>(answer.size()) ? 0 : 1;
}
