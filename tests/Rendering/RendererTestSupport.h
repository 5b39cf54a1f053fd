#pragma once
// A renderer on the recording graphics system, run in a scratch working directory of its own
// (the renderer reads Data/ relative to it) with its own Log.txt.

#include "Engine/Core/Log.h"
#include "Support/RecordingDevice.h"
#include "Engine/Rendering/Renderer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace Tess::Testing
{

// Vertex and pixel stages that compile on the recording device.
inline const char* const kPlainStages = R"(
glsl VS
{
    layout(location = TESS_POSITION) in vec3 Position;
    void main() { gl_Position = vec4(Position, 1.0); }
}
glsl PS
{
    void main() { PixelColor = vec4(1.0); }
}
)";

// An effect of `passes` passes with a world-view-projection matrix and a colour parameter.
inline std::string SimpleEffect(int passes = 1)
{
    std::string text = "float4x4 WVP : WorldViewProjection;\nfloat4 Tint : ObjectParm0;\n";
    text += kPlainStages;
    text += "technique Main\n{\n";
    for (int p = 0; p < passes; ++p)
        text += "    pass P" + std::to_string(p) + " { VertexShader = VS; PixelShader = PS; }\n";
    text += "}\n";
    return text;
}

class CScratchDirectory
{
public:
    CScratchDirectory()
    {
        static int counter = 0;
        m_previous = std::filesystem::current_path();
        m_path = std::filesystem::temp_directory_path() /
                 ("tess_renderer_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path / "Data" / "Effects");
        std::filesystem::create_directories(m_path / "Data" / "Textures");
        std::filesystem::create_directories(m_path / "Data" / "Scripts");
        std::filesystem::current_path(m_path);
    }
    ~CScratchDirectory()
    {
        std::filesystem::current_path(m_previous);
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CScratchDirectory(const CScratchDirectory&) = delete;
    CScratchDirectory& operator=(const CScratchDirectory&) = delete;

    void Write(const std::string& relativePath, const std::string& text) const
    {
        std::filesystem::create_directories((m_path / relativePath).parent_path());
        std::ofstream(m_path / relativePath, std::ios::binary) << text;
    }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_path;
};

class RendererTest : public ::testing::Test
{
protected:
    RendererTest()
    {
        config.texturesAlwaysLoad = true;
        scratch.Write("Data/Effects/default.fx", SimpleEffect());
        scratch.Write("Data/Effects/Vector.fx", SimpleEffect());
        GetLog().OpenAt((scratch.Path() / "Log.txt").string());
    }
    ~RendererTest() override
    {
        renderer.reset();
        GetLog().Close();
    }

    // Makes the renderer on a recording system with `config` and runs Create.
    bool CreateRenderer(int width = 800, int height = 600, bool windowed = true)
    {
        auto owned = std::make_unique<CRecordingSystem>(config, recording);
        system = owned.get();
        m_pendingSystem = std::move(owned);
        renderer = std::make_unique<CRenderer>(CRecordingSystem::FactoryFor(m_pendingSystem));
        return renderer->Create(nullptr, width, height, windowed);
    }

    CRecordingDevice& Device() { return *system->LastDevice(); }
    const std::vector<DeviceCall>& Calls() const { return recording->Calls(); }
    std::vector<DeviceCall> CallsOf(EDeviceOp op) const { return recording->CallsOf(op); }
    std::size_t Count(EDeviceOp op) const { return recording->Count(op); }

    // The lines of Log.txt written so far.
    std::vector<std::string> LogLines() const
    {
        GetLog().flush();
        std::ifstream in(scratch.Path() / "Log.txt");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    bool LogContains(const std::string& line) const
    {
        for (const std::string& l : LogLines())
            if (l == line)
                return true;
        return false;
    }
    int LogCount(const std::string& line) const
    {
        int count = 0;
        for (const std::string& l : LogLines())
            count += l == line;
        return count;
    }

    CScratchDirectory scratch;
    RecordingConfig config;
    std::shared_ptr<CRecordingLog> recording = std::make_shared<CRecordingLog>();
    CRecordingSystem* system = nullptr;
    std::unique_ptr<CRenderer> renderer;

private:
    std::unique_ptr<CRecordingSystem> m_pendingSystem;
};

} // namespace Tess::Testing
