// CRenderer: drawing the view queue.

#include "Engine/Rendering/Renderer.h"

#include "Engine/Views/RenderView.h"

#include <algorithm>

namespace Tess
{

void CRenderer::DrawViewQueue()
{
    // Higher layers to the front, stably, so that drawing from the back goes up the layers and
    // takes views of one layer last-queued first.
    std::stable_sort(m_viewQueue.begin(), m_viewQueue.end(),
                     [](const IRenderView* a, const IRenderView* b) { return a->GetLayer() > b->GetLayer(); });
    while (!m_viewQueue.empty())
    {
        // Off the queue before it draws: a view may queue views or clear the queue meanwhile.
        IRenderView* view = m_viewQueue.back();
        m_viewQueue.pop_back();
        view->Draw(*this);
    }
}

} // namespace Tess
