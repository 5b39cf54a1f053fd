#pragma once
// CRecordingSystem: a graphics system that creates recording devices and records its own calls.
// RecordingConfig says what it offers, so tests can drive the renderer's failure paths.

#include "Support/RecordingLog.h"

#include "Engine/Platform/GraphicsSystem.h"

#include <memory>
#include <set>
#include <string>

namespace Tess
{

// What a recording system offers; tests change it to drive the failure paths.
struct RecordingConfig
{
    bool hardwareAvailable = true;      // CheckDeviceType for the HAL type
    bool capsAvailable = true;          // GetDeviceCaps
    bool displayModeAvailable = true;   // GetAdapterDisplayMode
    bool deviceCreatable = true;        // CreateDevice
    std::uint32_t vertexProcessingCaps = 1;
    int screenDpiY = 96;
    DisplayMode displayMode{1280, 1024, 60, D3DFMT_X8R8G8B8};
    // Client area of the window, the back-buffer size of a windowed device created with 0 x 0.
    std::uint32_t windowWidth = 800;
    std::uint32_t windowHeight = 600;

    // Texture files that fail to load even when they exist; files that do not exist always fail.
    std::set<std::string> failingTextureFiles;
    // Load every texture file whether it exists or not (tests without a Data directory).
    bool texturesAlwaysLoad = false;
    bool failCreateTexture = false;
    bool failCreateCubeTexture = false;
    std::set<std::string> failingFontFaces;
    // What the device's stages are written in; with D3D9Assembly they are assembled for real.
    EShaderLanguage shaderLanguage = EShaderLanguage::Glsl330;
};

class CRecordingDevice;

class CRecordingSystem : public IGraphicsSystem
{
public:
    explicit CRecordingSystem(RecordingConfig config = {},
                              std::shared_ptr<CRecordingLog> log = nullptr);

    bool CheckDeviceType(std::uint32_t adapter, EDeviceType type, EFormat displayFormat,
                         EFormat backBufferFormat, bool windowed) override;
    bool GetDeviceCaps(std::uint32_t adapter, EDeviceType type, DeviceCaps& out) override;
    bool GetAdapterDisplayMode(std::uint32_t adapter, DisplayMode& out) override;
    std::unique_ptr<IGraphicsDevice> CreateDevice(std::uint32_t adapter, EDeviceType type,
                                                  WindowHandle focusWindow, std::uint32_t behaviorFlags,
                                                  PresentParameters& parameters) override;
    int GetScreenDpiY() override { return m_config.screenDpiY; }

    RecordingConfig& Config() { return m_config; }
    const std::shared_ptr<CRecordingLog>& Log() const { return m_log; }
    // The device this system created last (owned by whoever received it), or null.
    CRecordingDevice* LastDevice() const { return m_lastDevice; }
    // The parameters of the last CreateDevice call.
    const PresentParameters& LastPresentParameters() const { return m_lastParameters; }
    EDeviceType LastDeviceType() const { return m_lastDeviceType; }
    std::uint32_t LastBehaviorFlags() const { return m_lastBehaviorFlags; }

    // A factory for CRenderer that hands out this system once (the caller keeps `system` alive
    // until then and must not use the pointer after the renderer is gone).
    static GraphicsSystemFactory FactoryFor(std::unique_ptr<CRecordingSystem>& system);

private:
    RecordingConfig m_config;
    std::shared_ptr<CRecordingLog> m_log;
    CRecordingDevice* m_lastDevice = nullptr;
    PresentParameters m_lastParameters;
    EDeviceType m_lastDeviceType = D3DDEVTYPE_HAL;
    std::uint32_t m_lastBehaviorFlags = 0;
};

} // namespace Tess
