// RZ3 control files of any bytes beside a valid RZ3 batch (RZ0001.001, two invoices with two
// attachments each) and its scans, named "$D/a1.tif" and so on: the flow binds and packs, or refuses with its codes;
// the status it writes is one of the system's; the batch and the scans stay as they were.
#include "FuzzScratch.h"
#include "billing/AdzCodes.h"
#include "billing/CAdzException.h"
#include "billing/formats/dds/DDSrz3Datei.h"
#include "billing/formats/dds/Rz3ControlFile.h"
#include "billing/formats/records/RecordObject.h"
#include "platform/Files.h"
#include "platform/PrivateProfile.h"
#include "platform/Text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

// The RZ3 batch of the reader's seeds, without its selector byte.
std::string batch()
{
    const auto seed = bv::files::readFile(BV_SOURCE_DIR "/tests/fuzz/seeds/fuzz_dds_reader/rz3.bin");
    if (!seed || seed->empty())
        std::abort();
    return seed->substr(1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace bv;
    static const std::string dds = batch();
    static const auto& dir = fuzz::scratchDirectory();
    static const bool ready = [] {
        fuzz::writeScratch("RZ0001.001", dds);
        for (const char* scan : {"a1.tif", "a2.tif", "a3.pdf", "a4.jpg"})
            fuzz::writeScratch(scan, "II*\0scan");
        return std::filesystem::create_directory(dir / "tmp");
    }();
    if (!ready)
        std::abort();
    // "$D/" in the input stands for the scratch directory, where the scans lie.
    const std::string text =
        replaceAll(std::string(reinterpret_cast<const char*>(data), size), "$D/", dir.string() + "/");
    const auto control = fuzz::writeScratch("RZ0001.ini", text).string();
    static const std::set<int> codes = {adz::Structural,
                                        adz::UnsupportedVersion,
                                        adz::ControlRecordInvoiceCount,
                                        adz::ControlRecordMedium,
                                        adz::ControlRecordUnsupported,
                                        records::ControlRecordFieldCode,
                                        adz::InvoiceCount,
                                        adz::ControlTotal,
                                        adz::AttachmentContainer,
                                        adz::RecordHeader,
                                        rz3::StatusMissingSettings,
                                        rz3::StatusBadAttachmentValue,
                                        rz3::StatusMissingBatchNumber,
                                        adz::Content,
                                        rz3::StatusMismatch,
                                        rz3::StatusNotReferenced,
                                        rz3::StatusTypeNotAllowed};
    try {
        if (IsControlFileReady(control)) {
            auto reader = DDSrz3Datei::ProcessControlFile(control, false, false, size % 2 == 0, [&](DDSrz3Datei& r) {
                r.setTemporaryDirectory((dir / "tmp").string());
            });
            for (const DDSrzRechnung& invoice : reader->invoices()) {
                if (invoice.boundAttachments < 0 || invoice.boundAttachments > DDSrzRechnung::MaxAttachments)
                    std::abort();
            }
        }
    } catch (const CAdzException& e) {
        if (!codes.count(e.code())) {
            std::fprintf(stderr, "unknown code %d: %s\n", e.code(), e.message().c_str());
            std::abort();
        }
        // The control file's own failures are written back with their code.
        static const std::set<int> written = {rz3::StatusMissingSettings, rz3::StatusMissingBatchNumber,
                                              rz3::StatusMismatch, rz3::StatusNotReferenced, rz3::StatusTypeNotAllowed};
        if (written.count(e.code()) && profile::readInt("Rueckgabe", "Status", 0, control) != e.code())
            std::abort();
    }
    if (files::readFile(dir / "RZ0001.001").value_or("") != dds)
        std::abort();
    return 0;
}
