// File-type detection: any file content under any of the extensions the spool meets gives one of
// the known codes, and the recognition of enciphered deliveries gives an interface number or 0.
#include "FuzzScratch.h"
#include "billing/CAbrechnungsDatei.h"
#include "billing/SpoolDetection.h"
#include "billing/formats/dds/VddsEncryption.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const char* const names[] = {"RZ0001.001", "M00001.001", "PV000001.DAT", "a.xml", "a.chz", "a.ini", "a.bin"};
    if (size == 0)
        return 0;
    const char* name = names[data[0] % (sizeof(names) / sizeof(names[0]))];
    const std::string_view content(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto path = bv::fuzz::writeScratch(name, content);

    const int type = bv::DetectFileType(path.string());
    switch (type) {
    case bv::file_type::DdsV2:
    case bv::file_type::DdsV3:
    case bv::file_type::DdsV2Kind2828:
    case bv::file_type::DdsV3Kind2828:
    case bv::file_type::Mas:
    case bv::file_type::Pad:
    case bv::file_type::PadLines:
    case bv::file_type::Chz:
    case bv::file_type::Cha:
    case bv::file_type::ControlIni:
    case bv::file_type::Unknown:
        break;
    default:
        std::abort();
    }
    if (bv::spoolTypeOfFileType(type) == bv::spool_type::CannotOpen)
        std::abort();
    const int interface = bv::IsVddsEncrypted(path);
    if (interface < 0 || interface > 99)
        std::abort();
    std::filesystem::remove(path);
    return 0;
}
