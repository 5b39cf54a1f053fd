#include "Applications/Rigwright/EquipmentLoading.h"

#include "Engine/Core/Log.h"
#include "Engine/Core/LogCapture.h"

#include <filesystem>

namespace Tess
{

CEquipmentLoading::CEquipmentLoading() = default;

CEquipmentLoading::~CEquipmentLoading()
{
    if (m_loaded.valid())
        m_loaded.wait();
}

void CEquipmentLoading::Start(const std::vector<std::string>& modelFiles, const std::string& script)
{
    std::vector<SPartDescription> listed;
    if (modelFiles.empty())
    {
        m_scriptLog = std::make_unique<CLogCapture>();
        listed = !script.empty() ? CEquipmentConfiguration::Describe(
                                       script, std::filesystem::path(script).parent_path().string())
                                 : CEquipmentConfiguration::Describe();
        m_scriptLog->Stop();
    }
    m_loaded = std::async(std::launch::async, [files = modelFiles, listed = std::move(listed)]() mutable {
        SLoaded loaded;
        loaded.filesLog = std::make_unique<CLogCapture>();
        loaded.parts = !files.empty() ? CEquipmentConfiguration::LoadFiles(files)
                                      : CEquipmentConfiguration::ReadAssemblies(std::move(listed));
        loaded.filesLog->Stop();
        loaded.prepared = PrepareParts(loaded.parts);
        return loaded;
    });
}

void CEquipmentLoading::Finish(std::vector<SPartDescription>& parts, std::vector<SPreparedPart>& prepared)
{
    if (m_scriptLog)
        m_scriptLog->Release(GetLog());
    if (!m_loaded.valid())
        return;
    SLoaded loaded = m_loaded.get();
    loaded.filesLog->Release(GetLog());
    parts = std::move(loaded.parts);
    prepared = std::move(loaded.prepared);
}

} // namespace Tess
