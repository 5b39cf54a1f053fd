#pragma once
// CEquipmentLoading: the viewer's equipment, read while the rest of the start goes on (the
// window, the device, the views and the panel). Start runs the equipment script, if any, on the
// calling thread (the script host is not shared between threads), then reads the files it and the
// command line name and prepares the parts (PartPreparation.h) on worker threads; Finish waits
// for them.
//
// The log lines of all this are held back: Finish writes those of the script and the files, and
// each part's are written as its component is made, so Log.txt reads as if everything had
// happened at the point where the parts are made.

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
    // script. Once only.
    void Start(const std::vector<std::string>& modelFiles, const std::string& script);
    // The description's log lines go out; then the parts, in the description's order, with the
    // prepared part of each at the same index.
    void Finish(std::vector<SPartDescription>& parts, std::vector<SPreparedPart>& prepared);
    bool IsStarted() const { return m_loaded.valid(); }

private:
    struct SLoaded
    {
        std::vector<SPartDescription> parts;
        std::unique_ptr<CLogCapture> filesLog;
        std::vector<SPreparedPart> prepared;
    };

    std::unique_ptr<CLogCapture> m_scriptLog;
    std::future<SLoaded> m_loaded;
};

} // namespace Tess
