#pragma once
// CLog: the engine's one diagnostic channel, the text file Log.txt in the working directory.
// Every line starts with an 11-character category column ("Renderer | ") naming its writer.

#include <fstream>
#include <string>

namespace Tess
{

enum LogCategory : int
{
    LOG_NONE = 0,     // "         | " statistics and reports
    LOG_LOG = 1,      // "Log      | " the log's own lines
    LOG_MAIN = 2,     // "Main     | " entry point and message loop
    LOG_INPUT = 3,    // "Input    | "
    LOG_RENDERER = 4, // "Renderer | "
    LOG_OBJECT = 5,   // "Object   | "
    LOG_SOUND = 6,    // "Sound    | "
};

class CLog : public std::ofstream
{
public:
    // Opens Log.txt, truncating an earlier one, and writes the banner. A log that cannot be
    // created leaves the stream failed: later writes are dropped and the program runs on.
    bool Open();
    // Same as Open, for a file at another path (the tests' own logs).
    bool OpenAt(const std::string& path);

    // Prefix, text and newline; left to the stream's buffering.
    bool Write(int category, const char* text);
    // Prefix, text and newline, then flushed.
    bool Write(int category, const std::string& text);
    // The category-0 prefix followed by 60 dashes.
    bool WriteSeparator();

    // Writes the closing line and closes the file.
    bool Close();

    // The 11-character prefix of a category, or "" for a number outside 0..6.
    static const char* GetPrefix(int category);
};

// The one log, constructed unopened on the first call and destroyed at process exit.
CLog& GetLog();

} // namespace Tess
