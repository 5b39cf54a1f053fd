#pragma once
// An input system without hardware. The test owns a FakeInputState and changes it between polls:
// the keys and the mouse the devices report, whether the window has the focus, and which set-up
// step fails. Every call the devices receive is counted there.

#include "Engine/Platform/InputSystem.h"

#include <cstring>
#include <memory>

namespace TestSupport
{

struct FakeDeviceState
{
    bool failCreate = false;
    bool failCooperativeLevel = false;
    bool failDataFormat = false;
    // Acquire answers kInputLost forever (a misbehaving driver).
    bool acquireAlwaysLost = false;

    bool acquired = false;
    int acquireCalls = 0;
    int unacquireCalls = 0;
    int reads = 0;
    bool destroyed = false;
    std::uint32_t flags = 0;
    Tess::WindowHandle window = nullptr;
};

struct FakeInputState
{
    bool focus = true;
    bool failSystem = false;
    std::uint8_t keys[256] = {};
    Tess::MouseState mouse;
    FakeDeviceState keyboard;
    FakeDeviceState mouseDevice;
    std::uint32_t requestedVersion = 0;

    void Press(int key) { keys[key] = 0x80; }
    void Release(int key) { keys[key] = 0; }
};

class FakeInputDevice final : public Tess::IInputDevice
{
public:
    FakeInputDevice(FakeInputState& input, FakeDeviceState& device, bool isMouse)
        : m_input(input), m_device(device), m_isMouse(isMouse)
    {
    }
    ~FakeInputDevice() override { m_device.destroyed = true; }

    Tess::Result SetCooperativeLevel(Tess::WindowHandle window, std::uint32_t flags) override
    {
        m_device.window = window;
        m_device.flags = flags;
        return m_device.failCooperativeLevel ? Tess::kFail : Tess::kOk;
    }
    Tess::Result SetDataFormat(Tess::EDataFormat) override
    {
        return m_device.failDataFormat ? Tess::kFail : Tess::kOk;
    }
    Tess::Result Acquire() override
    {
        ++m_device.acquireCalls;
        if (m_device.acquireAlwaysLost)
            return Tess::kInputLost;
        if (!m_input.focus)
            return Tess::kOtherAppHasPriority;
        m_device.acquired = true;
        return Tess::kOk;
    }
    Tess::Result Unacquire() override
    {
        ++m_device.unacquireCalls;
        m_device.acquired = false;
        return Tess::kOk;
    }
    Tess::Result GetDeviceState(std::uint32_t size, void* data) override
    {
        ++m_device.reads;
        if (!m_device.acquired)
            return Tess::kNotAcquired;
        if (!m_input.focus)
        {
            m_device.acquired = false;
            return Tess::kInputLost;
        }
        if (m_isMouse)
        {
            if (size != sizeof(Tess::MouseState))
                return Tess::kInvalidParam;
            std::memcpy(data, &m_input.mouse, sizeof(Tess::MouseState));
        }
        else
        {
            if (size != 256)
                return Tess::kInvalidParam;
            std::memcpy(data, m_input.keys, 256);
        }
        return Tess::kOk;
    }

private:
    FakeInputState& m_input;
    FakeDeviceState& m_device;
    bool m_isMouse;
};

class FakeInputSystem final : public Tess::IInputSystem
{
public:
    explicit FakeInputSystem(FakeInputState& input) : m_input(input) {}

    Tess::Result CreateDevice(Tess::EInputDevice which,
                              std::unique_ptr<Tess::IInputDevice>& device) override
    {
        const bool isMouse = which == Tess::EInputDevice::SystemMouse;
        FakeDeviceState& state = isMouse ? m_input.mouseDevice : m_input.keyboard;
        if (state.failCreate)
            return Tess::kFail;
        device = std::make_unique<FakeInputDevice>(m_input, state, isMouse);
        return Tess::kOk;
    }

private:
    FakeInputState& m_input;
};

// A factory for CInput that hands out systems on `input`.
inline Tess::InputSystemFactory MakeFakeInputFactory(FakeInputState& input)
{
    return [&input](Tess::InstanceHandle, std::uint32_t version) -> std::unique_ptr<Tess::IInputSystem> {
        input.requestedVersion = version;
        if (input.failSystem)
            return nullptr;
        return std::make_unique<FakeInputSystem>(input);
    };
}

} // namespace TestSupport
