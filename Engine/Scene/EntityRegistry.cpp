#include "Engine/Scene/EntityRegistry.h"

#include "Engine/Core/Log.h"
#include "Engine/Scene/Entity.h"

#include <vector>

namespace Tess
{

namespace
{
const std::string kRule(50, '-');
const char* const kTitle = " -            World Entity Report               - ";
} // namespace

CEntityRegistry::CEntityRegistry()
{
    // Statics are destroyed in reverse order of construction: touching the log here finishes
    // its construction before ours, so it is still open when our destructor reports.
    GetLog();
}

CEntityRegistry::~CEntityRegistry()
{
    GetLog().Write(LOG_NONE, BuildReport());
    DeleteAll();
}

void CEntityRegistry::Register(CEntity* entity)
{
    if (entity)
        m_entities.emplace(entity->GetID(), entity);
}

void CEntityRegistry::Unregister(std::int32_t id)
{
    m_entities.erase(id);
}

std::string CEntityRegistry::BuildReport() const
{
    std::string text = "\n" + kRule + "\n" + kTitle + "\n" + kRule + "\n";
    text += "World Entities Remaining: " + std::to_string(m_entities.size()) + "\n";
    for (const auto& [id, entity] : m_entities)
        text += entity ? " ID == " + std::to_string(entity->GetID()) + "\n" : " ID == NULL\n";
    text += kRule + "\n";
    return text;
}

void CEntityRegistry::DeleteAll()
{
    std::vector<std::int32_t> ids;
    for (const auto& [id, entity] : m_entities)
        if (entity)
            ids.push_back(id);
    // An entity's destructor may delete others (an owner deleting its parts); those have
    // unregistered themselves by the time their ID comes up, so each is deleted once.
    for (std::int32_t id : ids)
    {
        const auto found = m_entities.find(id);
        if (found != m_entities.end() && found->second)
            delete found->second;
    }
    m_entities.clear();
}

CEntityRegistry& GetEntityRegistry()
{
    static CEntityRegistry registry;
    return registry;
}

} // namespace Tess
