#include "Engine/Core/LogCapture.h"

#include "Engine/Core/Log.h"

namespace Tess
{

namespace
{
thread_local CLogCapture* t_active = nullptr;
} // namespace

CLogCapture::CLogCapture() : m_suspended(t_active)
{
    t_active = this;
}

CLogCapture::~CLogCapture()
{
    Stop();
}

void CLogCapture::Stop()
{
    if (!m_holding)
        return;
    m_holding = false;
    if (t_active == this)
        t_active = m_suspended;
}

void CLogCapture::Release(CLog& log)
{
    std::vector<std::pair<int, std::string>> lines;
    lines.swap(m_lines);
    for (const auto& [category, text] : lines)
        log.Write(category, text);
}

CLogCapture* CLogCapture::Active()
{
    return t_active;
}

void CLogCapture::Hold(int category, std::string text)
{
    m_lines.emplace_back(category, std::move(text));
}

} // namespace Tess
