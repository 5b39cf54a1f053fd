#pragma once
// Shared by the view tests: the program's world root, entities that note their drawing, a node
// that submits itself only while visible (as a dialog does), and a renderer fixture with effects
// for the 3D and GUI layers.

#include "Rendering/RendererTestSupport.h"

#include "Engine/Rendering/Effect.h"
#include "Engine/Scene/Node.h"

#include <functional>
#include <string>
#include <vector>

namespace Tess::Testing
{

// The first entity of the test program, so it is the world root through which the main view
// reaches the scene. Left alive for the registry to delete at exit.
CNode& WorldRoot();

// What one Draw saw: who drew, with which effect active, and whether it was hidden.
struct DrawNote
{
    std::string name;
    std::string effect;
};

// Returns the file name of the active effect, or "<none>".
inline std::string ActiveEffectName()
{
    return CEffect::IsEffectActive() ? CEffect::GetActiveEffect()->GetFileName() : std::string("<none>");
}

// An entity that draws like the engine's drawing entities (nothing while hidden) and notes
// each Draw; `onDraw` lets a test look at the renderer while the entity draws.
class CNotingEntity : public CEntity
{
public:
    CNotingEntity(std::vector<DrawNote>& notes, std::string name, const Vector3& centre = {0, 0, 0})
        : m_notes(notes), m_name(std::move(name))
    {
        m_bounds = CBoundingSphere(centre, 1.0f);
    }
    void Draw(CRenderer& renderer) override
    {
        if (m_noDraw)
            return;
        m_notes.push_back({m_name, ActiveEffectName()});
        if (onDraw)
            onDraw(renderer);
    }

    std::function<void(CRenderer&)> onDraw;

private:
    std::vector<DrawNote>& m_notes;
    std::string m_name;
};

// A node that submits itself and then its children only while visible, as a dialog does.
class CPanelNode : public CNode
{
public:
    CPanelNode(std::vector<DrawNote>& notes, std::string name) : m_notes(notes), m_name(std::move(name))
    {
        SetSortKey(1);
    }
    void Submit(CRenderer& renderer) override
    {
        if (!visible)
            return;
        renderer.AddToDrawList(this);
        CNode::Submit(renderer);
    }
    void Draw(CRenderer&) override
    {
        if (!m_noDraw)
            m_notes.push_back({m_name, ActiveEffectName()});
    }

    bool visible = true;

private:
    std::vector<DrawNote>& m_notes;
    std::string m_name;
};

inline std::vector<std::string> NamesOf(const std::vector<DrawNote>& notes)
{
    std::vector<std::string> names;
    for (const DrawNote& note : notes)
        names.push_back(note.name);
    return names;
}

// A renderer on the recording device with "scene.fx" and "gui.fx" besides "default.fx".
class ViewTest : public RendererTest
{
protected:
    void SetUp() override
    {
        WorldRoot();
        scratch.Write("Data/Effects/scene.fx", SimpleEffect());
        scratch.Write("Data/Effects/gui.fx", SimpleEffect());
        ASSERT_TRUE(CreateRenderer());
        sceneEffect = renderer->LoadEffect("scene.fx");
        guiEffect = renderer->LoadEffect("gui.fx");
        ASSERT_GT(sceneEffect, 0);
        ASSERT_GT(guiEffect, 0);
        recording->Clear();
    }

    // Index of the first recorded call of `op` at or after `from` (-1 when there is none).
    int IndexOf(EDeviceOp op, int from = 0) const
    {
        return recording->IndexOf(op, static_cast<std::size_t>(from < 0 ? 0 : from));
    }

    int sceneEffect = -1;
    int guiEffect = -1;
    std::vector<DrawNote> notes;
};

} // namespace Tess::Testing
