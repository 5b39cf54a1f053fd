#pragma once
// CRigwright: the equipment viewer, the program's one application object (800 x 600, windowed).
// Each frame it advances the timer, reads the input and handles the quit keys; at shutdown it
// writes the profiler report and the frame statistics to the log.

#include "Engine/Core/Application.h"

#include <cstdint>

class CRigwright : public Tess::CApplication
{
public:
    CRigwright();
    ~CRigwright() override;

    void Initialize() override;
    void Update() override;
    void Shutdown() override;

private:
    void UpdateTimingAndInput();
    void WriteStatisticsLines();
    void HandleQuitKeys();
    // Primitives and draw calls of the last frame drawn; none is drawn without a renderer.
    std::uint32_t GetPrimitiveCount() const;
    std::uint32_t GetDrawCallCount() const;
};
