#include "Engine/Core/Log.h"

#include "Engine/Core/LogCapture.h"

#include <cstring>

namespace Tess
{

namespace
{
constexpr const char* kPrefixes[] = {
    "         | ", "Log      | ", "Main     | ", "Input    | ",
    "Renderer | ", "Object   | ", "Sound    | ",
};
constexpr int kCategoryCount = static_cast<int>(sizeof(kPrefixes) / sizeof(kPrefixes[0]));
} // namespace

const char* CLog::GetPrefix(int category)
{
    return category >= 0 && category < kCategoryCount ? kPrefixes[category] : "";
}

bool CLog::Open()
{
    return OpenAt("Log.txt");
}

bool CLog::OpenAt(const std::string& path)
{
    if (is_open())
        close();
    clear();
    open(path, std::ios::out | std::ios::trunc);
    *this << "-------------------------------\n"
          << "| Tesserant Game Engine v0.8 |\n"
          << "-------------------------------\n"
          << "\n";
    Write(LOG_LOG, "Opening log file.");
    return true;
}

bool CLog::Write(int category, const char* text)
{
    if (CLogCapture* capture = CLogCapture::Active())
    {
        capture->Hold(category, text ? text : "");
        return true;
    }
    *this << GetPrefix(category) << (text ? text : "") << '\n';
    return true;
}

bool CLog::Write(int category, const std::string& text)
{
    if (CLogCapture* capture = CLogCapture::Active())
    {
        capture->Hold(category, text);
        return true;
    }
    *this << GetPrefix(category) << text << '\n';
    flush();
    return true;
}

bool CLog::WriteSeparator()
{
    *this << GetPrefix(LOG_NONE) << std::string(60, '-') << '\n';
    return true;
}

bool CLog::Close()
{
    Write(LOG_LOG, "Closing log file.");
    close();
    return true;
}

CLog& GetLog()
{
    static CLog log;
    return log;
}

} // namespace Tess
