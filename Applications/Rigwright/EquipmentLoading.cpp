#include "Applications/Rigwright/EquipmentLoading.h"

#include "Engine/Core/Log.h"
#include "Engine/Core/LogCapture.h"

#include <filesystem>

namespace Tess
{

CEquipmentLoading::CEquipmentLoading() = default;

CEquipmentLoading::~CEquipmentLoading()
{
    if (m_prepared.valid())
        m_prepared.wait();
}

void CEquipmentLoading::Start(const std::vector<std::string>& modelFiles, const std::string& script)
{
    m_descriptionLog = std::make_unique<CLogCapture>();
    m_parts = !modelFiles.empty() ? CEquipmentConfiguration::LoadFiles(modelFiles)
              : !script.empty()
                  ? CEquipmentConfiguration::Load(script, std::filesystem::path(script).parent_path().string())
                  : CEquipmentConfiguration::Load();
    m_descriptionLog->Stop();
    // The workers read the list, and only they touch the assembly models in it, until Finish.
    m_prepared = std::async(std::launch::async, [this] { return PrepareParts(m_parts); });
}

void CEquipmentLoading::Finish(std::vector<SPartDescription>& parts, std::vector<SPreparedPart>& prepared)
{
    if (m_descriptionLog)
        m_descriptionLog->Release(GetLog());
    prepared = m_prepared.valid() ? m_prepared.get() : std::vector<SPreparedPart>();
    parts = std::move(m_parts);
    m_parts.clear();
}

} // namespace Tess
