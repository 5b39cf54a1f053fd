#pragma once
// CEntityRegistry: every live entity by ID. Entities enter it when constructed and leave it
// when destroyed; at process exit it writes the "World Entity Report" of the survivors to the
// log and deletes them.

#include <cstdint>
#include <map>
#include <string>

namespace Tess
{

class CEntity;

class CEntityRegistry
{
public:
    // Makes sure the log exists first, so that the log outlives the registry.
    CEntityRegistry();
    // Writes the report, then deletes the survivors in ascending ID order.
    ~CEntityRegistry();
    CEntityRegistry(const CEntityRegistry&) = delete;
    CEntityRegistry& operator=(const CEntityRegistry&) = delete;

    // Adds the entity under its ID; an ID already present is left as it is.
    void Register(CEntity* entity);
    // Removes the ID if present.
    void Unregister(std::int32_t id);

    int GetCount() const { return static_cast<int>(m_entities.size()); }
    // The report text as the destructor writes it.
    std::string BuildReport() const;
    // Deletes every registered entity in ascending ID order, skipping those that an earlier
    // deletion already destroyed, and empties the registry.
    void DeleteAll();

private:
    std::map<std::int32_t, CEntity*> m_entities;
};

// The one registry, created on first use and destroyed at process exit.
CEntityRegistry& GetEntityRegistry();

} // namespace Tess
