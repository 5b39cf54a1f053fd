#pragma once
// CLogCapture: holds back the log lines one thread writes, so work done on a worker thread can
// write them later, in the order a single-threaded program would have written them. While a
// capture is alive, every CLog::Write of the thread that made it goes into the capture instead of
// the file; Release writes the held lines to the log (on the thread that calls it) and stops
// holding.

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Tess
{

class CLog;

class CLogCapture
{
public:
    // Starts holding the calling thread's lines; a capture already active on it is suspended.
    CLogCapture();
    // Stops holding (on the thread that made the capture) and drops what was not released.
    ~CLogCapture();
    CLogCapture(const CLogCapture&) = delete;
    CLogCapture& operator=(const CLogCapture&) = delete;

    // Stops holding the making thread's lines. Call it on that thread, before handing the
    // capture to another one.
    void Stop();
    // Writes the held lines to the log and forgets them.
    void Release(CLog& log);

    // The capture of the calling thread, or null; CLog asks this on each write.
    static CLogCapture* Active();
    void Hold(int category, std::string text);

private:
    std::vector<std::pair<int, std::string>> m_lines;
    CLogCapture* m_suspended = nullptr;
    bool m_holding = true;
};

} // namespace Tess
