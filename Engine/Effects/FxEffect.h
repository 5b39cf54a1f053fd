#pragma once
// CFxEffect: an effect file made live on an IGraphicsDevice, with the shape of the effect
// interface the engine was designed on. It is created from a file or from text (compiling
// every stage its passes name), lists its parameters and techniques, validates a technique by
// linking every pass on the device, keeps the value last set for every parameter, and applies a
// pass (render states, textures with their sampler states, stages, constant registers) through
// an attached effect state manager or, without one, to the device.
//
// Typical use:
//     Begin(&passes, 0);
//     for each pass p: BeginPass(p); { SetValue(...); CommitChanges(); draw } EndPass();
//     End();   // restores what Begin recorded

#include "Engine/Effects/EffectStateManager.h"
#include "Engine/Effects/FxParser.h"
#include "Engine/Effects/FxShaderBuilder.h"
#include "Engine/Platform/GraphicsDevice.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Tess
{

struct FxParameterHandle
{
    std::int32_t index = -1;

    explicit operator bool() const { return index >= 0; }
    bool operator==(const FxParameterHandle&) const = default;
};

struct FxTechniqueHandle
{
    std::int32_t index = -1;

    explicit operator bool() const { return index >= 0; }
    bool operator==(const FxTechniqueHandle&) const = default;
};

struct FxEffectDesc
{
    std::uint32_t parameters = 0;
    std::uint32_t techniques = 0;
};

struct FxTechniqueDesc
{
    std::string name;
    std::uint32_t passes = 0;
};

struct FxParameterDesc
{
    std::string name;
    std::string semantic;       // empty when the file gives none
    EFxType type = EFxType::Float;
    std::uint32_t elements = 0; // 0: not an array
    std::uint32_t rows = 1;
    std::uint32_t columns = 1;
    std::uint32_t bytes = 0;    // what SetValue copies at most
};

// Begin flags. 0 records the device state the technique's passes change and restores it at End.
constexpr std::uint32_t kFxDoNotSaveState = 0x1;        // record and restore nothing
constexpr std::uint32_t kFxDoNotSaveShaderState = 0x2;  // leave the shader stages out
constexpr std::uint32_t kFxDoNotSaveSamplerState = 0x4; // leave textures and sampler states out

class CFxEffect
{
public:
    // Reads and parses an effect file and compiles every stage its passes name. Null on failure,
    // with `errors` holding the parser's or the compiler's messages ("path(line): error: message");
    // empty when the file cannot be read. Whether the stages of a technique link on the device
    // is left to ValidateTechnique. The device must outlive the effect.
    static std::unique_ptr<CFxEffect> CreateFromFile(IGraphicsDevice& device, const std::string& path,
                                                     std::string& errors);
    // The same from text; `name` stands for the file in messages.
    static std::unique_ptr<CFxEffect> CreateFromText(IGraphicsDevice& device, const std::string& text,
                                                     const std::string& name, std::string& errors);

    ~CFxEffect();
    CFxEffect(const CFxEffect&) = delete;
    CFxEffect& operator=(const CFxEffect&) = delete;

    // ---- Description ------------------------------------------------------------------------
    FxEffectDesc GetDesc() const;
    const std::string& GetName() const { return m_name; }

    // ---- Techniques -------------------------------------------------------------------------
    // Techniques in file order; an invalid handle past the end.
    FxTechniqueHandle GetTechnique(std::uint32_t index) const;
    FxTechniqueHandle GetTechniqueByName(const std::string& name) const;
    Result GetTechniqueDesc(FxTechniqueHandle technique, FxTechniqueDesc& out) const;
    // Links the stages of every pass of the technique on the device. On failure `errors`, when
    // given, receives the linker's text.
    Result ValidateTechnique(FxTechniqueHandle technique, std::string* errors = nullptr);
    // The technique Begin uses (the first one until this is called). Not while begun.
    Result SetTechnique(FxTechniqueHandle technique);
    FxTechniqueHandle GetCurrentTechnique() const { return {m_technique}; }

    // ---- Parameters -------------------------------------------------------------------------
    FxParameterHandle GetParameter(std::uint32_t index) const;
    FxParameterHandle GetParameterByName(const std::string& name) const;
    Result GetParameterDesc(FxParameterHandle parameter, FxParameterDesc& out) const;
    // Copies min(bytes, parameter size) bytes into the parameter (a TextureId for textures). The
    // value stays until changed and reaches the device at the next BeginPass or CommitChanges.
    Result SetValue(FxParameterHandle parameter, const void* data, std::uint32_t bytes);
    Result SetValue(const std::string& name, const void* data, std::uint32_t bytes);
    // Copies min(bytes, parameter size) bytes of the current value out.
    Result GetValue(FxParameterHandle parameter, void* data, std::uint32_t bytes) const;

    // ---- Drawing ----------------------------------------------------------------------------
    // Starts the current technique: compiles it if needed, records the device state its passes
    // change (see the flags) and returns the number of passes.
    Result Begin(std::uint32_t* passes, std::uint32_t flags);
    // Applies pass `pass`: its render and texture-stage states, every texture with its sampler
    // states, its stages and all the constants the stages read.
    Result BeginPass(std::uint32_t pass);
    // Sends the values set since the last BeginPass or CommitChanges. Nothing outside a pass.
    Result CommitChanges();
    Result EndPass();
    // Ends the technique (and a pass still open) and restores what Begin recorded.
    Result End();
    bool IsBegun() const { return m_begun; }

    // ---- State manager ----------------------------------------------------------------------
    // The effect keeps its own reference to the manager and releases it when replaced or
    // destroyed; null detaches it.
    Result SetStateManager(IEffectStateManager* manager);
    IEffectStateManager* GetStateManager() const { return m_stateManager; }

private:
    struct CompiledPass
    {
        VertexShaderId vertexShader;
        PixelShaderId pixelShader;
        std::vector<std::uint32_t> vertexParameters;
        std::vector<std::uint32_t> pixelParameters;
    };
    struct CompiledTechnique
    {
        bool attempted = false;
        bool valid = false;
        std::string errors;
        std::vector<CompiledPass> passes;
    };
    struct SamplerValue
    {
        std::uint32_t stage;
        std::uint32_t type;
        std::uint32_t value;
    };
    // What Begin read from the device, restored by End.
    struct SavedState
    {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> renderStates;
        std::vector<SamplerValue> stageStates;
        std::vector<SamplerValue> samplerStates;
        std::vector<std::pair<std::uint32_t, TextureId>> textures;
        bool shaders = false;
        VertexShaderId vertexShader;
        PixelShaderId pixelShader;
    };

    CFxEffect(IGraphicsDevice& device, std::string name, FxDocument document,
              std::vector<FxParameterLayout> layout);

    bool IsParameter(FxParameterHandle parameter) const;
    bool IsTechnique(FxTechniqueHandle technique) const;
    // Compiles every stage any pass names, as loading does; false at the first that fails.
    bool CompileStages(std::string& errors);
    // Compiles (once) every pass of a technique; false when a stage fails to compile or link.
    bool Compile(std::uint32_t technique);
    bool CompilePass(const FxTechnique& technique, const FxPass& pass, CompiledPass& out, std::string& errors);
    enum class EStageBuild { Built, NoForm, Failed };
    // The stage's source in the device's shader language. NoForm when a block lacks that form
    // (the pass cannot validate on this device); Failed when the code names parameters wrongly.
    EStageBuild BuildStage(const std::vector<std::uint32_t>& blocks, bool vertex, const std::string& context,
                           FxStageSource& out, std::string& errors) const;
    std::string MapMessages(const std::string& messages, const std::string& context) const;
    VertexShaderId CompileVertexStage(const std::string& source, const std::string& context, std::string& errors);
    PixelShaderId CompilePixelStage(const std::string& source, const std::string& context, std::string& errors);

    void SaveState(std::uint32_t flags);
    void RestoreState();
    void ForgetSavedState();
    void ApplyStates(const FxPass& pass);
    void ApplyTextures();
    void UploadParameter(std::uint32_t index, bool vertex);
    // The parameter's value spread over its registers, four floats each.
    void ExpandRegisters(std::uint32_t index, std::vector<float>& out) const;

    // Every state goes through the manager when one is attached, else to the device.
    void SendRenderState(std::uint32_t state, std::uint32_t value);
    void SendStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value);
    void SendSamplerState(std::uint32_t sampler, std::uint32_t type, std::uint32_t value);
    void SendTexture(std::uint32_t stage, TextureId texture);
    void SendShaders(VertexShaderId vs, PixelShaderId ps);

    IGraphicsDevice& m_device;
    std::string m_name;
    FxDocument m_document;
    std::vector<FxParameterLayout> m_layout;
    std::vector<std::vector<std::uint8_t>> m_values;
    std::vector<bool> m_dirty;
    std::vector<CompiledTechnique> m_compiled;
    // Stages compiled so far by source, so passes that share code share the device's stage.
    std::vector<std::pair<std::string, VertexShaderId>> m_vertexShaders;
    std::vector<std::pair<std::string, PixelShaderId>> m_pixelShaders;
    std::int32_t m_technique = 0;
    bool m_begun = false;
    std::int32_t m_activePass = -1;
    SavedState m_saved;
    // Scratch space of UploadParameter.
    std::vector<float> m_registers;
    IEffectStateManager* m_stateManager = nullptr;
};

} // namespace Tess
