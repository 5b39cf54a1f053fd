// The STEP and IGES reader of Engine/Platform/ImportReaders.h on Open CASCADE: the file is read
// into an XCAF document (assembly tree, names, colours), which CCadAssemblyWalker turns into
// parts.

#include "Engine/Platform/ImportReaders.h"
#include "Engine/Platform/ImportStream.h"
#include "Engine/Platform/OpenCascade/CadAssemblyWalker.h"
#include "Engine/Platform/OpenCascade/CadMesher.h"

#include <IFSelect_ReturnStatus.hxx>
#include <IGESCAFControl_Reader.hxx>
#include <Interface_Static.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <Standard_Failure.hxx>
#include <Standard_OutOfMemory.hxx>
#include <TDocStd_Document.hxx>
#include <XCAFApp_Application.hxx>

#include <fstream>
#include <iterator>
#include <new>

namespace Tess
{

namespace
{

// Text in a STEP file is ISO 8859-1 with escapes for the rest, by the letter of the format; in
// practice CAD tools write UTF-8, and some older ones their Windows code page raw. A file whose
// bytes are all valid UTF-8 is read as UTF-8; one that is not is taken as Windows-1251, the one
// legacy code page met in the files users have sent (Cyrillic). A Latin-1 file then shows
// Cyrillic letters in place of accents, a smaller harm than no file showing Cyrillic at all.
const char* StepCodePageOf(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return IsValidUtf8(bytes) ? "UTF8" : "CP1251";
}

// Open CASCADE reports on standard output; a helper's output is its answer alone.
void SilenceMessages()
{
    Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_Printer));
}

bool ReadStep(const std::string& path, Handle(TDocStd_Document)& document, std::string& whyNot)
{
    STEPCAFControl_Reader reader;
    reader.SetColorMode(Standard_True);
    reader.SetNameMode(Standard_True);
    Interface_Static::SetCVal("read.step.codepage", StepCodePageOf(path));
    // Lengths in millimetres, whatever the file declares.
    Interface_Static::SetCVal("xstep.cascade.unit", "MM");
    if (reader.ReadFile(path.c_str()) != IFSelect_RetDone)
    {
        whyNot = "it is not a complete STEP file";
        return false;
    }
    if (!reader.Transfer(document))
    {
        whyNot = "its shapes cannot be read";
        return false;
    }
    return true;
}

bool ReadIges(const std::string& path, Handle(TDocStd_Document)& document, std::string& whyNot)
{
    IGESCAFControl_Reader reader;
    reader.SetColorMode(Standard_True);
    reader.SetNameMode(Standard_True);
    Interface_Static::SetCVal("xstep.cascade.unit", "MM");
    if (reader.ReadFile(path.c_str()) != IFSelect_RetDone)
    {
        whyNot = "it is not a complete IGES file";
        return false;
    }
    if (!reader.Transfer(document))
    {
        whyNot = "its shapes cannot be read";
        return false;
    }
    return true;
}

} // namespace

bool ReadCadScene(const std::string& path, ECadFormat format, const SCadMeshing& meshing, SImportedScene& out,
                  std::string& whyNot)
{
    out = {};
    whyNot = CheckImportedFile(path);
    if (!whyNot.empty())
        return false;
    SilenceMessages();
    try
    {
        Handle(XCAFApp_Application) application = XCAFApp_Application::GetApplication();
        Handle(TDocStd_Document) document;
        application->NewDocument("MDTV-XCAF", document);
        const bool read = format == ECadFormat::Step ? ReadStep(path, document, whyNot)
                                                     : ReadIges(path, document, whyNot);
        bool walked = false;
        if (read)
        {
            CCadMesher mesher(meshing);
            walked = CCadAssemblyWalker(document, mesher).Walk(out, whyNot);
        }
        application->Close(document);
        if (walked)
            return true;
    }
    catch (const std::bad_alloc&)
    {
        whyNot = kReaderOutOfMemory;
    }
    catch (const Standard_OutOfMemory&)
    {
        whyNot = kReaderOutOfMemory;
    }
    catch (const Standard_Failure& failure)
    {
        whyNot = std::string("the reader failed: ") + failure.GetMessageString();
    }
    catch (...)
    {
        whyNot = "the file cannot be read";
    }
    out = {};
    return false;
}

} // namespace Tess
