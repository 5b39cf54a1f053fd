#pragma once
// CEffect: one loaded effect file and the bindings of its parameters to the renderer's values.
// Parameters are bound once, at load time, by semantic ("World", "ObjectParm0", ...) to
// storage inside the renderer; ApplyBindings sends every bound value before a draw. Begin, the
// passes and End follow one process-wide discipline: one effect is active at a time, and the
// draw list draws many entities inside one begin/end.
//
// A file that fails to load gives an inert effect: it never begins, has no passes and never
// reaches the missing runtime object.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Tess
{

class CFxEffect;
class CRenderer;
class IEffectStateManager;

class CEffect
{
public:
    struct Binding
    {
        std::string name;
        std::uint32_t parameter = 0; // index of the parameter in the effect
        const void* source = nullptr;
        std::uint32_t size = 0;      // bytes sent: the parameter's size, at most its storage's reach
    };

    // Loads "Data/Effects/" + the base name of fileName on the renderer's device and writes
    // the loading block to the log.
    CEffect(CRenderer& renderer, const std::string& fileName);
    ~CEffect();
    CEffect(const CEffect&) = delete;
    CEffect& operator=(const CEffect&) = delete;

    // Begins the technique when this effect is valid and no effect is active.
    void Begin();
    void BeginPass(unsigned pass);
    void EndPass();
    // Ends this effect when it is the active one.
    void End();
    // Sends every bound value, in parameter order.
    void ApplyBindings();
    // Sends what changed since the pass began to the device.
    void CommitChanges();
    // Hands the state manager to the runtime effect (which takes its own reference).
    void SetStateManager(IEffectStateManager* manager);

    // Passes of the technique while begun; 0 otherwise.
    unsigned GetPassCount() const { return m_passCount; }
    bool IsValid() const { return m_valid; }
    bool IsLoaded() const { return m_effect != nullptr; }
    const std::string& GetFileName() const { return m_fileName; }
    const std::vector<Binding>& GetBindings() const { return m_bindings; }
    // The runtime effect; null when the file did not load.
    CFxEffect* GetInterface() const { return m_effect.get(); }

    static bool IsEffectActive();
    static bool IsPassActive();
    static CEffect* GetActiveEffect();

private:
    bool Load(CRenderer& renderer);
    void ChooseTechnique();
    void BindParameters(CRenderer& renderer);

    std::string m_fileName;
    int m_technique = -1;
    std::vector<Binding> m_bindings;
    unsigned m_passCount = 0;
    bool m_valid = false;
    std::unique_ptr<CFxEffect> m_effect;
};

} // namespace Tess
