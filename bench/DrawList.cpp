// Frame cost of flushing the renderer's draw list: N entities, each setting its world matrix
// and an object parameter and drawing a small indexed mesh, grouped under 1 or 10 effects.
// Runs on the recording device (the engine's own cost plus recording) and, when a display is
// available, on the OpenGL device (benchmarks named .../OpenGL).

#include "Engine/Core/Log.h"
#include "Engine/Geometry/IndexBuffer.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexBuffer.h"
#include "Engine/Geometry/VertexElement.h"
#include "Support/RecordingDevice.h"
#include "Engine/Rendering/Renderer.h"
#include "Engine/Scene/Entity.h"

#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include <unistd.h>

namespace Tess
{
namespace
{

const char* const kEffect = R"(
float4x4 WVP : WorldViewProjection;
float4 Tint : ObjectParm0;
glsl VS
{
    layout(location = TESS_POSITION) in vec3 Position;
    void main() { gl_Position = vec4(Position, 1.0) * WVP; }
}
glsl PS
{
    void main() { PixelColor = Tint; }
}
technique Main { pass P { VertexShader = VS; PixelShader = PS; } }
)";

class CMeshEntity : public CEntity
{
public:
    CMeshEntity(CVertexBuffer& vb, CIndexBuffer& ib, int effect, int index) : m_vb(vb), m_ib(ib)
    {
        SetResourceHandle(8, effect);
        GetPosition() = {static_cast<float>(index % 100), static_cast<float>(index / 100), 50.0f};
        Move(0.0f);
        UpdateWorldMatrix();
        SetObjectParameter(0, {0.5f, 0.5f, 0.5f, 1.0f});
    }
    void Draw(CRenderer& renderer) override
    {
        renderer.SetWorldMatrix(GetWorldMatrix());
        renderer.SetObjectParameter(0, GetObjectParameter(0));
        renderer.DrawMesh(GetResourceHandle(8), m_vb, &m_ib);
    }

private:
    CVertexBuffer& m_vb;
    CIndexBuffer& m_ib;
};

// A renderer in a scratch directory holding the benchmark's effect files.
class CBenchScene
{
public:
    CBenchScene(bool openGL, int effectCount)
    {
        m_previous = std::filesystem::current_path();
        m_directory = std::filesystem::temp_directory_path() / ("tess_drawlist_bench_" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_directory / "Data" / "Effects");
        std::filesystem::current_path(m_directory);
        for (int i = 0; i < effectCount; ++i)
            std::ofstream("Data/Effects/bench" + std::to_string(i) + ".fx") << kEffect;
        std::ofstream("Data/Effects/default.fx") << kEffect;
        std::filesystem::create_directories("Data/Scripts");
        std::ofstream("Data/Scripts/Renderer_Configuration.lua") << "-- windowed, as the benchmark asks\n";
        GetLog().OpenAt((m_directory / "Log.txt").string());

        WindowHandle window = nullptr;
        if (openGL)
        {
            // The OpenGL device needs a window to make its context on; a hidden one will do.
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
                return;
            m_window = SDL_CreateWindow("draw list benchmark", 0, 0, 320, 240, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
            if (!m_window)
                return;
            window = reinterpret_cast<WindowHandle>(m_window);
            renderer = std::make_unique<CRenderer>();
        }
        else
        {
            RecordingConfig config;
            config.texturesAlwaysLoad = true;
            m_system = std::make_unique<CRecordingSystem>(config, recording);
            renderer = std::make_unique<CRenderer>(CRecordingSystem::FactoryFor(m_system));
        }
        ready = renderer->Create(window, 320, 240, true);
        for (int i = 0; i < effectCount && ready; ++i)
            effects.push_back(renderer->LoadEffect("bench" + std::to_string(i) + ".fx"));
        BuildMesh();
    }
    ~CBenchScene()
    {
        entities.clear();
        m_ib.reset();
        m_vb.reset();
        renderer.reset();
        if (m_window)
        {
            SDL_DestroyWindow(m_window);
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
        GetLog().Close();
        std::filesystem::current_path(m_previous);
        std::error_code ignored;
        std::filesystem::remove_all(m_directory, ignored);
    }

    void AddEntities(int count)
    {
        for (int i = 0; i < count; ++i)
            entities.push_back(std::make_unique<CMeshEntity>(*m_vb, *m_ib, effects[i % effects.size()], i));
    }

    std::shared_ptr<CRecordingLog> recording = std::make_shared<CRecordingLog>();
    std::unique_ptr<CRenderer> renderer;
    std::vector<int> effects;
    std::vector<std::unique_ptr<CMeshEntity>> entities;
    bool ready = false;

private:
    void BuildMesh()
    {
        CTriMesh mesh;
        auto* positions = new CVertexElement(3, 3);
        positions->SetDeclaration("POSITION", D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0);
        positions->SetVector3(0, {0, 0, 0});
        positions->SetVector3(1, {1, 0, 0});
        positions->SetVector3(2, {0, 1, 0});
        mesh.AddElement(positions);
        mesh.AddTriangle(0, 1, 2);
        m_vb = std::make_unique<CVertexBuffer>(mesh);
        m_ib = std::make_unique<CIndexBuffer>(mesh);
    }

    std::filesystem::path m_previous;
    std::filesystem::path m_directory;
    std::unique_ptr<CRecordingSystem> m_system;
    SDL_Window* m_window = nullptr;
    std::unique_ptr<CVertexBuffer> m_vb;
    std::unique_ptr<CIndexBuffer> m_ib;
};

void FlushDrawList(benchmark::State& state, bool openGL)
{
    const int entityCount = static_cast<int>(state.range(0));
    const int effectCount = static_cast<int>(state.range(1));
    CBenchScene scene(openGL, effectCount);
    if (!scene.ready)
    {
        state.SkipWithError("no graphics device");
        return;
    }
    scene.AddEntities(entityCount);
    for (auto _ : state)
    {
        scene.renderer->BeginScene();
        for (const auto& entity : scene.entities)
            scene.renderer->AddToDrawList(entity.get());
        scene.renderer->FlushDrawList(0, 8);
        scene.renderer->EndScene();
        if (openGL)
            scene.renderer->Present();
        // The recording device keeps every call; drop them now and then.
        if (scene.recording->Calls().size() > 1000000)
            scene.recording->Clear();
    }
    state.SetItemsProcessed(state.iterations() * entityCount);
    state.counters["draw_calls"] = scene.renderer->GetDrawCallCount();
}

void FlushDrawListRecording(benchmark::State& state)
{
    FlushDrawList(state, false);
}

void FlushDrawListOpenGL(benchmark::State& state)
{
    FlushDrawList(state, true);
}

void Sizes(benchmark::internal::Benchmark* b)
{
    for (int entities : {1, 100, 10000})
        for (int effects : {1, 10})
            b->Args({entities, effects});
    b->ArgNames({"entities", "effects"});
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(FlushDrawListRecording)->Apply(Sizes);
BENCHMARK(FlushDrawListOpenGL)->Apply(Sizes);

} // namespace
} // namespace Tess
