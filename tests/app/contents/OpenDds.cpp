#include "OpenDds.h"

#include "billing/formats/dds/DDSrz2Datei.h"

namespace bv::test {

std::unique_ptr<CAbrechnungsDatei> openRz2(const std::string& path, const std::string& temporaryDirectory)
{
    auto reader = std::make_unique<DDSrz2Datei>(path, false, false);
    reader->setTemporaryDirectory(temporaryDirectory);
    reader->ReadContents();
    return reader;
}

} // namespace bv::test
