#include "Engine/Platform/Fonts/FontPrefetch.h"

#include <exception>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace Tess
{

namespace
{
struct SRendered
{
    bool created = false;
    CFontRasterizer raster;
};

class CPrefetchStore
{
public:
    void Start(const std::vector<CFontPrefetch::SFont>& fonts)
    {
        std::vector<std::pair<CFontPrefetch::SFont, std::shared_ptr<std::promise<SRendered>>>> work;
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (const CFontPrefetch::SFont& font : fonts)
        {
            if (m_pending.count(font))
                continue;
            auto promise = std::make_shared<std::promise<SRendered>>();
            m_pending.emplace(font, promise->get_future());
            work.emplace_back(font, std::move(promise));
        }
        if (work.empty())
            return;
        m_workers.push_back(std::async(std::launch::async, [work = std::move(work)] {
            for (const auto& [font, promise] : work)
            {
                SRendered rendered;
                rendered.created = rendered.raster.Create(font.faceName, font.pixelHeight, font.bold, font.italic);
                promise->set_value(std::move(rendered));
            }
        }));
    }

    // The future for the font, removed from the store; invalid when it was never started.
    std::future<SRendered> Take(const CFontPrefetch::SFont& font)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_pending.find(font);
        if (it == m_pending.end())
            return {};
        std::future<SRendered> future = std::move(it->second);
        m_pending.erase(it);
        return future;
    }

    void Discard()
    {
        std::vector<std::future<void>> workers;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            workers.swap(m_workers);
            m_pending.clear();
        }
        for (std::future<void>& worker : workers)
            worker.wait();
    }

    ~CPrefetchStore() { Discard(); }

private:
    std::mutex m_mutex;
    std::map<CFontPrefetch::SFont, std::future<SRendered>> m_pending;
    std::vector<std::future<void>> m_workers;
};

CPrefetchStore& Store()
{
    static CPrefetchStore store;
    return store;
}
} // namespace

void CFontPrefetch::Start(const std::vector<SFont>& fonts)
{
    Store().Start(fonts);
}

bool CFontPrefetch::Rasterize(CFontRasterizer& raster, const SFont& font)
{
    std::future<SRendered> started = Store().Take(font);
    if (!started.valid())
        return raster.Create(font.faceName, font.pixelHeight, font.bold, font.italic);
    try
    {
        SRendered rendered = started.get();
        raster = std::move(rendered.raster);
        return rendered.created;
    }
    catch (const std::exception&)
    {
        // The worker failed (out of memory): the font is rendered here instead.
        return raster.Create(font.faceName, font.pixelHeight, font.bold, font.italic);
    }
}

void CFontPrefetch::Discard()
{
    Store().Discard();
}

} // namespace Tess
