#pragma once
// The viewer run through the real entry routine on fake window, clock and input services, with
// the graphics system the caller gives, while every path of the frame is exercised and the
// allocations of the frames are counted (AllocationCounter.h).

#include "AllocationCounter.h"

#include "Engine/Platform/Platform.h"

namespace FrameTest
{

struct FrameScenarioResult
{
    long countedInFrames = -1;          // allocations in the frames counted
    long countedInScreenshotFrame = -1; // allocations in the frame that takes a screenshot
    int drawCalls = 0;                  // draw calls of the last frame before the screenshot
    float radiusBeforeZoom = 0.0f;      // the camera's distance before and after ZOOM IN is clicked
    float zoomedRadius = 0.0f;
};

FrameScenarioResult RunFrameScenario(Tess::GraphicsSystemFactory createGraphicsSystem, EUncounted uncounted);

} // namespace FrameTest
