// The renderer's view queue: drawn in ascending layer order whatever the queueing order, views
// of one layer last-queued first, and empty after every draw.

#include "ViewsTestSupport.h"

#include "Engine/Views/RenderViewGUI.h"
#include "Engine/Views/RenderViewMain.h"
#include "Engine/Views/Text.h"

#include <algorithm>
#include <functional>
#include <memory>

namespace Tess
{
namespace
{

using Testing::ViewTest;

// A view of any layer that notes its Draw in a shared list.
class CNotingView : public IRenderView
{
public:
    CNotingView(std::vector<std::string>& drawn, std::string name, int layer)
        : m_drawn(drawn), m_name(std::move(name))
    {
        m_layer = layer;
    }
    void Reserved1(int) override {}
    void Draw(CRenderer& renderer) override
    {
        m_drawn.push_back(m_name);
        if (onDraw)
            onDraw(renderer);
    }

    std::function<void(CRenderer&)> onDraw;

private:
    std::vector<std::string>& m_drawn;
    std::string m_name;
};

class ViewQueueTest : public ViewTest
{
protected:
    std::vector<std::string> drawn;
};

TEST_F(ViewQueueTest, LowerLayerIsDrawnFirstWhateverTheQueueingOrder)
{
    CNotingView scene(drawn, "scene", 8), gui(drawn, "gui", 14);
    renderer->QueueView(&gui);
    renderer->QueueView(&scene);
    renderer->DrawViewQueue();
    EXPECT_EQ((std::vector<std::string>{"scene", "gui"}), drawn);

    drawn.clear();
    renderer->QueueView(&scene);
    renderer->QueueView(&gui);
    renderer->DrawViewQueue();
    EXPECT_EQ((std::vector<std::string>{"scene", "gui"}), drawn);
}

TEST_F(ViewQueueTest, ViewsOfOneLayerAreDrawnLastQueuedFirst)
{
    CNotingView a(drawn, "a", 8), b(drawn, "b", 8), c(drawn, "c", 8), g(drawn, "g", 14), h(drawn, "h", 14),
        low(drawn, "low", 2);
    for (IRenderView* view : std::initializer_list<IRenderView*>{&a, &g, &b, &h, &c, &low})
        renderer->QueueView(view);
    renderer->DrawViewQueue();
    EXPECT_EQ((std::vector<std::string>{"low", "c", "b", "a", "h", "g"}), drawn);
}

TEST_F(ViewQueueTest, LongQueueKeepsTheOrderWithinEachLayer)
{
    // Long enough that an unstable sort would reorder views of equal layer.
    std::vector<std::unique_ptr<CNotingView>> views;
    std::vector<std::string> expected8, expected14;
    for (int i = 0; i < 40; ++i)
    {
        const int layer = i % 3 == 0 ? 14 : 8;
        views.push_back(std::make_unique<CNotingView>(drawn, std::to_string(i), layer));
        renderer->QueueView(views.back().get());
        (layer == 8 ? expected8 : expected14).insert((layer == 8 ? expected8 : expected14).begin(), std::to_string(i));
    }
    renderer->DrawViewQueue();
    std::vector<std::string> expected = expected8;
    expected.insert(expected.end(), expected14.begin(), expected14.end());
    EXPECT_EQ(expected, drawn);
}

TEST_F(ViewQueueTest, QueueIsEmptyAfterDrawingAndAfterClearing)
{
    CNotingView scene(drawn, "scene", 8);
    renderer->QueueView(&scene);
    renderer->QueueView(&scene);
    EXPECT_EQ(2, renderer->GetViewQueueCount());
    renderer->DrawViewQueue();
    EXPECT_EQ(0, renderer->GetViewQueueCount());
    EXPECT_EQ(2u, drawn.size());
    // A view must be queued anew for each frame.
    renderer->DrawViewQueue();
    EXPECT_EQ(2u, drawn.size());

    renderer->QueueView(&scene);
    renderer->ClearViewQueue();
    renderer->DrawViewQueue();
    EXPECT_EQ(2u, drawn.size());
}

TEST_F(ViewQueueTest, ViewQueuedOrClearingWhileTheQueueIsDrawnIsHandledOnce)
{
    CNotingView late(drawn, "late", 14), first(drawn, "first", 8), second(drawn, "second", 8);
    first.onDraw = [&](CRenderer& r) { r.QueueView(&late); };
    renderer->QueueView(&second);
    renderer->QueueView(&first);
    renderer->DrawViewQueue();
    // Every view once, the one that queued first, and nothing left for the next frame.
    ASSERT_EQ(3u, drawn.size());
    EXPECT_EQ("first", drawn[0]);
    EXPECT_EQ(1, std::count(drawn.begin(), drawn.end(), "late"));
    EXPECT_EQ(1, std::count(drawn.begin(), drawn.end(), "second"));
    EXPECT_EQ(0, renderer->GetViewQueueCount());

    // A view that empties the queue while it draws ends the frame's views.
    drawn.clear();
    first.onDraw = [](CRenderer& r) { r.ClearViewQueue(); };
    renderer->QueueView(&second);
    renderer->QueueView(&first);
    renderer->DrawViewQueue();
    EXPECT_EQ((std::vector<std::string>{"first"}), drawn);
    EXPECT_EQ(0, renderer->GetViewQueueCount());
}

TEST_F(ViewQueueTest, GuiViewQueuedFirstStillDrawsOverTheScene)
{
    CRenderViewMain scene(*renderer, 0);
    CRenderViewGUI gui(*renderer, 0);
    CNode panel;
    CText caption("caption", 0, 0, 100, 20);
    panel.AddChild(&caption);
    gui.AddRootNode(&panel);
    renderer->QueueView(&gui);
    renderer->QueueView(&scene);

    renderer->DrawViewQueue();

    const int clear = recording->IndexOf(EDeviceOp::Clear);
    const int text = recording->IndexOf(EDeviceOp::DrawText);
    ASSERT_GE(clear, 0);
    EXPECT_GT(text, clear);
    EXPECT_EQ(1u, Count(EDeviceOp::Clear));
    EXPECT_EQ(0, renderer->GetViewQueueCount());
}

} // namespace
} // namespace Tess
