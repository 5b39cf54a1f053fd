// CRenderer: drawing the view queue.

#include "Engine/Rendering/Renderer.h"

#include "Engine/Views/RenderView.h"

#include <algorithm>

namespace Tess
{

void CRenderer::DrawViewQueue()
{
    // Higher layers to the front, stably, so that drawing from the back goes up the layers and
    // takes views of one layer last-queued first. An insertion sort: a frame queues a few views,
    // and it needs no buffer (a frame allocates nothing).
    for (std::size_t i = 1; i < m_viewQueue.size(); ++i)
    {
        IRenderView* view = m_viewQueue[i];
        std::size_t j = i;
        for (; j > 0 && m_viewQueue[j - 1]->GetLayer() < view->GetLayer(); --j)
            m_viewQueue[j] = m_viewQueue[j - 1];
        m_viewQueue[j] = view;
    }
    while (!m_viewQueue.empty())
    {
        // Off the queue before it draws: a view may queue views or clear the queue meanwhile.
        IRenderView* view = m_viewQueue.back();
        m_viewQueue.pop_back();
        view->Draw(*this);
    }
}

} // namespace Tess
