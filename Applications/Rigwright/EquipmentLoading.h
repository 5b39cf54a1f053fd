#pragma once
// CEquipmentLoading: the viewer's equipment, read while the rest of the start goes on. Start
// reads the description (the files named on the command line, a script, or the equipment
// script) on the calling thread, then prepares its parts on worker threads (PartPreparation.h)
// while the caller builds its views and panel; Finish waits for them.
//
// The log lines of the description and of each part are held back: Finish writes the
// description's, and each part's are written as its component is made, so Log.txt reads as if
// everything had happened at the point where the parts are made.

#include "Applications/Rigwright/EquipmentConfiguration.h"
#include "Applications/Rigwright/PartPreparation.h"

#include <future>
#include <memory>
#include <string>
#include <vector>

namespace Tess
{

class CLogCapture;

class CEquipmentLoading
{
public:
    CEquipmentLoading();
    // Waits for workers still running.
    ~CEquipmentLoading();

    // `modelFiles` first, else `script` (model paths relative to its folder), else the equipment
    // script.
    void Start(const std::vector<std::string>& modelFiles, const std::string& script);
    // The description's log lines go out; then the parts, in the description's order, with the
    // prepared part of each at the same index.
    void Finish(std::vector<SPartDescription>& parts, std::vector<SPreparedPart>& prepared);

private:
    std::vector<SPartDescription> m_parts;
    std::unique_ptr<CLogCapture> m_descriptionLog;
    std::future<std::vector<SPreparedPart>> m_prepared;
};

} // namespace Tess
