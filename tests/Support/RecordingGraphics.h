#pragma once
// A graphics system factory for tests that run the entry routine on fake platform services: every
// call makes a recording system on the test's configuration, and all of them record into the
// test's one log, so the test reads the device calls after the renderer is gone.

#include "Support/RecordingDevice.h"

#include <memory>

namespace TestSupport
{

struct RecordingGraphics
{
    Tess::RecordingConfig config;
    std::shared_ptr<Tess::CRecordingLog> log = std::make_shared<Tess::CRecordingLog>();
    // The system made last, or null. The renderer owns it: read it only while the renderer lives.
    Tess::CRecordingSystem* system = nullptr;

    Tess::GraphicsSystemFactory Factory()
    {
        return [this](std::uint32_t) -> std::unique_ptr<Tess::IGraphicsSystem> {
            auto made = std::make_unique<Tess::CRecordingSystem>(config, log);
            system = made.get();
            return made;
        };
    }
    // The device the last system made, or null.
    Tess::CRecordingDevice* Device() const { return system ? system->LastDevice() : nullptr; }
};

} // namespace TestSupport
