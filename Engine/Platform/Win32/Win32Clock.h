#pragma once
// CWin32Clock: the tick count and the performance counter of Windows.

#include "Engine/Platform/Clock.h"

namespace Tess::Platform
{

class CWin32Clock final : public IClock
{
public:
    std::uint32_t GetTickCount() override;
    std::int64_t QueryPerformanceCounter() override;
    std::int64_t QueryPerformanceFrequency() override;
};

CWin32Clock& GetWin32Clock();

} // namespace Tess::Platform
