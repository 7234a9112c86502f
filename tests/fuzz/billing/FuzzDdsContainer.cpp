// Attachment containers of any bytes, read by the RZ2 and the RZ3 reader (first byte: which): the
// reader unpacks or refuses with one of its codes, writes only into its attachment directory (a
// file of the scratch directory besides the container is a fault), and leaves the container as it was.
#include "FuzzScratch.h"
#include "billing/AdzCodes.h"
#include "billing/CAdzException.h"
#include "billing/formats/dds/DDSrz2Datei.h"
#include "billing/formats/dds/DDSrz3Datei.h"
#include "billing/formats/records/RecordObject.h"
#include "platform/Files.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

bool knownCode(int code)
{
    using namespace bv;
    static const std::set<int> codes = {adz::Structural,
                                        adz::NothingToSend,
                                        -3,
                                        -4,
                                        -5,
                                        adz::UnsupportedVersion,
                                        adz::ControlRecordInvoiceCount,
                                        adz::ControlRecordMedium,
                                        adz::ControlRecordUnsupported,
                                        records::ControlRecordFieldCode,
                                        records::ContentFieldCode,
                                        adz::InvoiceCount,
                                        adz::ControlTotal,
                                        adz::AttachmentReference,
                                        adz::AttachmentExtraction,
                                        adz::AttachmentContainer,
                                        adz::RecordHeader,
                                        adz::Content};
    return codes.count(code) != 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace bv;
    if (size == 0)
        return 0;
    const bool rz3 = (data[0] & 1) != 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto& dir = fuzz::scratchDirectory();
    const auto temp = dir / "tmp";
    std::filesystem::remove_all(temp);
    std::filesystem::create_directory(temp);
    const auto path = fuzz::writeScratch("RZ0001.001", bytes);
    try {
        std::unique_ptr<DDSrzDatei> reader;
        if (rz3)
            reader = std::make_unique<DDSrz3Datei>(path.string(), false, false, true);
        else
            reader = std::make_unique<DDSrz2Datei>(path.string(), false, false, true);
        reader->setTemporaryDirectory(temp.string());
        reader->Validate();
        reader->ReadContents();
        reader->CheckContents(false);
        for (int i = 0; i < reader->invoiceCount(); ++i)
            reader->ExtractAttachments(i, temp.string());
    } catch (const CAdzException& e) {
        if (!knownCode(e.code())) {
            std::fprintf(stderr, "unknown code %d: %s\n", e.code(), e.message().c_str());
            std::abort();
        }
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const auto name = entry.path().filename();
        if (name != "tmp" && name != "RZ0001.001")
            std::abort();
    }
    if (files::readFile(path).value_or("") != bytes)
        std::abort();
    return 0;
}
