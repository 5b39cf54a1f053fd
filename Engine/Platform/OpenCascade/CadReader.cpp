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
#include <STEPControl_Reader.hxx>
#include <StepBasic_Product.hxx>
#include <StepData_StepModel.hxx>
#include <TCollection_HAsciiString.hxx>
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

std::string TextOf(const Handle(TCollection_HAsciiString)& text)
{
    return text.IsNull() ? std::string() : CleanImportedText(text->ToCString());
}

// Exporters fill the fields a STEP product must have with words that say nothing.
bool IsPlaceholder(const std::string& text, const std::string& name)
{
    return text.empty() || text == name || text == "NOT SPECIFIED" || text == "void" || text == "None";
}

// A product's identifier is its part number, and its description what it says, where they
// are more than a repetition of its name or a placeholder.
std::map<std::string, SCadProductData> ProductDataOf(const Handle(StepData_StepModel)& model)
{
    std::map<std::string, SCadProductData> products;
    if (model.IsNull())
        return products;
    for (Standard_Integer i = 1; i <= model->NbEntities(); ++i)
    {
        const Handle(StepBasic_Product) product = Handle(StepBasic_Product)::DownCast(model->Value(i));
        if (product.IsNull())
            continue;
        const std::string name = TextOf(product->Name());
        SCadProductData data;
        if (const std::string id = TextOf(product->Id()); !IsPlaceholder(id, name))
            data.partNumber = id;
        if (const std::string description = TextOf(product->Description()); !IsPlaceholder(description, name))
            data.description = description;
        if (!data.partNumber.empty() || !data.description.empty())
            products.emplace(name, std::move(data));
    }
    return products;
}

// Reads the file into the document with names and colours, lengths in millimetres whatever
// the file declares.
template <typename Reader>
bool ReadDocument(Reader& reader, const std::string& path, const char* format, Handle(TDocStd_Document)& document,
                  std::string& whyNot)
{
    reader.SetColorMode(Standard_True);
    reader.SetNameMode(Standard_True);
    Interface_Static::SetCVal("xstep.cascade.unit", "MM");
    if (reader.ReadFile(path.c_str()) != IFSelect_RetDone)
    {
        whyNot = std::string("it is not a complete ") + format + " file";
        return false;
    }
    if (!reader.Transfer(document))
    {
        whyNot = "its shapes cannot be read";
        return false;
    }
    return true;
}

bool ReadStep(const std::string& path, Handle(TDocStd_Document)& document,
              std::map<std::string, SCadProductData>& products, std::string& whyNot)
{
    STEPCAFControl_Reader reader;
    Interface_Static::SetCVal("read.step.codepage", StepCodePageOf(path));
    if (!ReadDocument(reader, path, "STEP", document, whyNot))
        return false;
    products = ProductDataOf(reader.Reader().StepModel());
    return true;
}

bool ReadIges(const std::string& path, Handle(TDocStd_Document)& document, std::string& whyNot)
{
    IGESCAFControl_Reader reader;
    return ReadDocument(reader, path, "IGES", document, whyNot);
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
        std::map<std::string, SCadProductData> products;
        const bool read = format == ECadFormat::Step ? ReadStep(path, document, products, whyNot)
                                                     : ReadIges(path, document, whyNot);
        bool walked = false;
        if (read)
        {
            CCadMesher mesher(meshing);
            CCadAssemblyWalker walker(document, mesher);
            walker.SetProductData(std::move(products));
            walked = walker.Walk(out, whyNot);
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
