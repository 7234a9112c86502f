// The DDS-RZ reader over any bytes, plain or enciphered: opening, loading and checking a file either
// succeed or refuse it with a CAdzException of the reader's codes; the file's bytes are never changed
// by reading. An enciphered delivery of the same bytes is recognised, unwrapped to exactly those
// bytes with the delivery kept beside them, and read the same way.
#include "FuzzScratch.h"
#include "billing/AdzCodes.h"
#include "billing/CAdzException.h"
#include "billing/FeeValueTable.h"
#include "billing/formats/dds/DDSrz2Datei.h"
#include "billing/formats/dds/DDSrz3Datei.h"
#include "billing/formats/dds/VddsEncryption.h"
#include "billing/formats/records/RecordObject.h"
#include "platform/Files.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>

namespace {

bool knownCode(int code)
{
    using namespace bv;
    static const std::set<int> codes = {adz::Structural,
                                        adz::UnsupportedVersion,
                                        adz::ControlRecordInvoiceCount,
                                        adz::ControlRecordMedium,
                                        adz::ControlRecordUnsupported,
                                        records::ControlRecordFieldCode,
                                        records::ContentFieldCode,
                                        adz::InvoiceCount,
                                        adz::ControlTotal,
                                        adz::RecordHeader,
                                        adz::Content};
    return codes.count(code) != 0;
}

template <typename F> void refusedOrDone(F&& action)
{
    try {
        action();
    } catch (const bv::CAdzException& e) {
        if (!knownCode(e.code()))
            std::abort();
    }
}

void readFile(const std::filesystem::path& path, bool rz3, const bv::FeeValueTable& fees)
{
    using namespace bv;
    std::unique_ptr<DDSrzDatei> reader;
    refusedOrDone([&] {
        if (rz3)
            reader = std::make_unique<DDSrz3Datei>(path.string(), false, false);
        else
            reader = std::make_unique<DDSrz2Datei>(path.string(), false, false);
    });
    if (!reader)
        return;
    reader->setFeeValues(&fees);
    bool loaded = false;
    refusedOrDone([&] { loaded = reader->ReadContents() == 1; });
    // The checks stay within the records even after a pass that stopped early.
    reader->CheckHeader();
    refusedOrDone([&] { reader->CheckContents(false); });
    refusedOrDone([&] { reader->CheckContents(true); });
    reader->GetFormatName();
    for (int i = -1; i <= reader->invoiceCount(); ++i) {
        if (loaded && i >= 0 && i < reader->invoiceCount() && reader->GetInvoiceData(i) == nullptr)
            std::abort();
    }
    refusedOrDone([&] { reader->GetInvoice(reader->recordCount() / 2); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace bv;
    if (size == 0)
        return 0;
    static FeeValueTable fees = [] {
        FeeValueTable table;
        table.AddList("0", "4711=0-100;0815=5-5");
        return table;
    }();
    const bool rz3 = (data[0] & 1) != 0;
    const bool enciphered = (data[0] & 2) != 0;
    const std::string_view plain(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto& dir = fuzz::scratchDirectory();
    std::filesystem::remove(dir / "kept");

    auto path = dir / "RZ0001.001";
    if (!enciphered) {
        fuzz::writeScratch("RZ0001.001", plain);
        readFile(path, rz3, fees);
        if (files::readFile(path).value_or("") != plain)
            std::abort();
        return 0;
    }

    vdds::Key key{};
    for (std::size_t i = 0; i < key.size(); ++i)
        key[i] = static_cast<unsigned char>(data[0] * 7 + i);
    std::string delivery(vdds::HeaderSize, '\0');
    std::copy(key.begin(), key.end(), delivery.begin() + vdds::KeyOffset);
    for (std::size_t pos = 0; pos < plain.size(); pos += vdds::BlockSize) {
        std::string block(plain.substr(pos, vdds::BlockSize));
        vdds::cipherBlock(key, reinterpret_cast<unsigned char*>(block.data()), block.size());
        delivery += block;
    }
    fuzz::writeScratch("RZ0001.001", delivery);
    const int interface = IsVddsEncrypted(path);
    if (interface < 0 || interface > 99)
        std::abort();
    try {
        UnwrapVddsEncrypted(path, (dir / "kept").string());
    } catch (const CAdzException&) {
        std::abort(); // nothing on a scratch directory may fail
    }
    if (files::readFile(path).value_or("") != plain || files::readFile(dir / "kept").value_or("") != delivery)
        std::abort();
    readFile(path, rz3, fees);
    return 0;
}
