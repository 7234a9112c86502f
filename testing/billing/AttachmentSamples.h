#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bv::samples {

// A multi-page TIFF file made with libtiff (the TIFF builder of the tests): `pages` distinct pages of
// width x height 8-bit grey pixels, without compression (so a page is about width x height bytes).
std::string multiPageTiff(int pages, int width = 64, int height = 32);
// The number of pages (directories) of a TIFF file; -1 when libtiff cannot open it.
int tiffPageCount(const std::filesystem::path& path);

// The INI file beside a scanned RZ2 attachment that names its invoice.
std::string rz2AttachmentIni(std::string_view invoiceNumber, std::string_view invoiceIndex,
                             std::string_view laboratoryAmount = {});

// One file packed into an attachment container, under the name its directory record gives.
struct PackedFile
{
    std::string name;
    std::string bytes;
};

// An attachment container laid out as the format table says: header, one directory record per
// file, the DDS-RZ file's records, then each file's data from a record boundary on, and an end
// byte 0x1A when the data ends off a boundary.
struct ContainerPlan
{
    int customerNumber = 4711;
    int interfaceNumber = 2;
    std::string dds; // the DDS-RZ file
    std::vector<PackedFile> files;
};
std::string attachmentContainer(const ContainerPlan& plan);
// Writes `text` over bytes [offset, offset + text size) of record `record` of a container.
void patchRecord(std::string& container, int record, std::size_t offset, std::string_view text);

// The control file of an RZ3 delivery; a value left empty (nullopt) is missing.
struct ControlPlan
{
    std::optional<std::string> customerNumber = "4711";
    std::optional<std::string> batchNumber = "1";
    std::optional<std::string> date = "20240115";
    std::optional<std::string> invoices = "1";
    std::optional<std::string> attachments = "0";
    std::vector<std::string> values; // ANLAGE values in order
    bool threeDigitKeys = false;     // "ANLAGE001" instead of "ANLAGE00001"
};
std::string rz3ControlFile(const ControlPlan& plan);

} // namespace bv::samples
