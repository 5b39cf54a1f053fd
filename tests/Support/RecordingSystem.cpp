#include "Support/RecordingDevice.h"
#include "Support/RecordingHelpers.h"

namespace Tess
{

using namespace Recording;

CRecordingSystem::CRecordingSystem(RecordingConfig config, std::shared_ptr<CRecordingLog> log)
    : m_config(std::move(config)), m_log(log ? std::move(log) : std::make_shared<CRecordingLog>())
{
}

bool CRecordingSystem::CheckDeviceType(std::uint32_t adapter, EDeviceType type, EFormat displayFormat,
                                       EFormat backBufferFormat, bool windowed)
{
    m_log->Add(MakeCall(EDeviceOp::CheckDeviceType,
                        {adapter, type, displayFormat, backBufferFormat, windowed ? 1u : 0u}));
    return type != D3DDEVTYPE_HAL || m_config.hardwareAvailable;
}

bool CRecordingSystem::GetDeviceCaps(std::uint32_t adapter, EDeviceType type, DeviceCaps& out)
{
    m_log->Add(MakeCall(EDeviceOp::GetDeviceCaps, {adapter, type}));
    if (!m_config.capsAvailable)
        return false;
    out = DeviceCaps{};
    out.deviceType = type;
    out.vertexProcessingCaps = m_config.vertexProcessingCaps;
    out.maxTextureWidth = out.maxTextureHeight = 8192;
    out.maxSimultaneousTextures = kMaxTextureStages;
    return true;
}

bool CRecordingSystem::GetAdapterDisplayMode(std::uint32_t adapter, DisplayMode& out)
{
    m_log->Add(MakeCall(EDeviceOp::GetAdapterDisplayMode, {adapter}));
    if (!m_config.displayModeAvailable)
        return false;
    out = m_config.displayMode;
    return true;
}

std::unique_ptr<IGraphicsDevice> CRecordingSystem::CreateDevice(std::uint32_t adapter, EDeviceType type,
                                                                 WindowHandle, std::uint32_t behaviorFlags,
                                                                 PresentParameters& parameters)
{
    m_log->Add(MakeCall(EDeviceOp::CreateDevice,
                        {adapter, type, behaviorFlags, parameters.windowed ? 1u : 0u,
                         parameters.backBufferWidth, parameters.backBufferHeight,
                         parameters.backBufferFormat, parameters.presentationInterval}));
    m_lastParameters = parameters;
    m_lastDeviceType = type;
    m_lastBehaviorFlags = behaviorFlags;
    if (!m_config.deviceCreatable)
        return nullptr;

    // A windowed device asked for 0 x 0 takes the client area, and says so in the parameters.
    if (parameters.windowed && parameters.backBufferWidth == 0)
        parameters.backBufferWidth = m_config.windowWidth;
    if (parameters.windowed && parameters.backBufferHeight == 0)
        parameters.backBufferHeight = m_config.windowHeight;
    auto device = std::make_unique<CRecordingDevice>(m_config, m_log, parameters.backBufferWidth,
                                                     parameters.backBufferHeight);
    m_lastDevice = device.get();
    return device;
}

GraphicsSystemFactory CRecordingSystem::FactoryFor(std::unique_ptr<CRecordingSystem>& system)
{
    return [&system](std::uint32_t) -> std::unique_ptr<IGraphicsSystem> { return std::move(system); };
}

} // namespace Tess
