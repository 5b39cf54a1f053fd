#include "Engine/Sound/Sound.h"

#include "Engine/Core/Log.h"
#include "Engine/Sound/SoundObject.h"
#include "Support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Tess;

namespace
{
const auto kWindow = reinterpret_cast<WindowHandle>(0x3000);

// Shared journal of device and sound-object lifetimes.
std::vector<std::string> g_events;

class FakeAudioDevice final : public IAudioDevice
{
public:
    explicit FakeAudioDevice(int id) : m_id(id) {}
    ~FakeAudioDevice() override { g_events.push_back("release device " + std::to_string(m_id)); }
    Result SetCooperativeLevel(WindowHandle window, std::uint32_t level) override
    {
        g_events.push_back("level " + std::to_string(level) + (window == kWindow ? " main" : " other"));
        return kOk;
    }

private:
    int m_id;
};

class JournalSound final : public CSoundObject
{
public:
    explicit JournalSound(std::string name) : m_name(std::move(name)) {}
    ~JournalSound() override { g_events.push_back("delete " + m_name); }

private:
    std::string m_name;
};

AudioDeviceFactory CountingFactory(int& opened)
{
    return [&opened]() -> std::unique_ptr<IAudioDevice> {
        ++opened;
        g_events.push_back("open device " + std::to_string(opened));
        return std::make_unique<FakeAudioDevice>(opened);
    };
}
} // namespace

class SoundTest : public ::testing::Test
{
protected:
    void SetUp() override { g_events.clear(); }
};

TEST_F(SoundTest, OpensTheDeviceForTheWindowAtTheNormalLevel)
{
    int opened = 0;
    CSound sound(CountingFactory(opened));
    EXPECT_EQ(GetSound(), &sound);
    EXPECT_FALSE(sound.HasDevice());
    EXPECT_EQ(sound.Initialize(kWindow, DSSCL_NORMAL), 0);
    EXPECT_TRUE(sound.HasDevice());
    EXPECT_EQ(g_events, (std::vector<std::string>{"open device 1", "level 1 main"}));
}

TEST_F(SoundTest, ASecondInitializeReleasesTheFirstDeviceBeforeOpeningAnother)
{
    int opened = 0;
    CSound sound(CountingFactory(opened));
    sound.Initialize(kWindow, DSSCL_NORMAL);
    sound.Initialize(kWindow, DSSCL_NORMAL);
    EXPECT_EQ(g_events, (std::vector<std::string>{"open device 1", "level 1 main",
                                                  "release device 1", "open device 2",
                                                  "level 1 main"}));
}

TEST_F(SoundTest, WithoutAnAudioDeviceItRunsOnSilentlyAndLogsNothing)
{
    TestSupport::TempWorkDir dir;
    GetLog().Open();
    {
        CSound sound([] { return std::unique_ptr<IAudioDevice>(); });
        EXPECT_EQ(sound.Initialize(kWindow, DSSCL_NORMAL), 0);
        EXPECT_FALSE(sound.HasDevice());
    }
    GetLog().Close();
    EXPECT_EQ(TestSupport::ReadLines("Log.txt").size(), 6u) << "only the banner and closing line";
}

TEST_F(SoundTest, DestructionDeletesTheSoundsInOrderThroughTheirBaseThenReleasesTheDevice)
{
    int opened = 0;
    {
        CSound sound(CountingFactory(opened));
        sound.Initialize(kWindow, DSSCL_NORMAL);
        sound.AddSound(std::make_unique<JournalSound>("engine hum"));
        sound.AddSound(std::make_unique<JournalSound>("click"));
        sound.AddSound(nullptr);
        EXPECT_EQ(sound.GetSoundCount(), 2);
        g_events.clear();
    }
    EXPECT_EQ(g_events, (std::vector<std::string>{"delete engine hum", "delete click",
                                                  "release device 1"}));
    EXPECT_EQ(GetSound(), nullptr);
}
