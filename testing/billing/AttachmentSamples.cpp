#include "billing/AttachmentSamples.h"

#include "platform/Files.h"
#include "platform/Text.h"
#include "tiff/TiffBuilder.h"

#include <tiffio.h>

#include <algorithm>
#include <stdexcept>
#include <unistd.h>

namespace bv::samples {

namespace {

constexpr std::size_t RecordSize = 256;

std::string record(std::string text)
{
    text.resize(RecordSize - 2, ' ');
    return text + "\r\n";
}

} // namespace

std::string multiPageTiff(int pages, int width, int height)
{
    char name[] = "/tmp/bv-sample-tiff-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd < 0)
        throw std::runtime_error("no temporary file for a TIFF sample");
    ::close(fd);
    std::vector<test::TiffPage> shape = test::samplePages(pages);
    for (test::TiffPage& page : shape) {
        page.width = static_cast<std::uint32_t>(width);
        page.height = static_cast<std::uint32_t>(height);
        page.compression = 1; // COMPRESSION_NONE
    }
    test::writeTiff(name, shape);
    std::string bytes = files::readFile(name).value_or(std::string());
    ::unlink(name);
    return bytes;
}

int tiffPageCount(const std::filesystem::path& path)
{
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    if (!tiff)
        return -1;
    int pages = 0;
    do
        ++pages;
    while (TIFFReadDirectory(tiff));
    TIFFClose(tiff);
    return pages;
}

std::string rz2AttachmentIni(std::string_view invoiceNumber, std::string_view invoiceIndex,
                             std::string_view laboratoryAmount)
{
    std::string ini = "[RZRECHNUNG]\r\nRechnungsnummer=" + std::string(invoiceNumber) +
                      "\r\nRechnungsindex=" + std::string(invoiceIndex) + "\r\n";
    if (!laboratoryAmount.empty())
        ini += "Laborbetrag=" + std::string(laboratoryAmount) + "\r\n";
    return ini;
}

std::string attachmentContainer(const ContainerPlan& plan)
{
    const std::string prefix =
        strFormat("%08d%02d", plan.customerNumber, plan.interfaceNumber) + std::string(10, ' ') + "0028280000";
    const auto files = static_cast<int>(plan.files.size());
    const std::size_t ddsRecords = plan.dds.size() / RecordSize;
    std::string out = record(prefix + strFormat("D%04d%08zu%04d#", files + 1, ddsRecords - 1, files));
    std::size_t next = static_cast<std::size_t>(files) + ddsRecords + 1;
    std::vector<std::size_t> starts;
    for (const PackedFile& file : plan.files) {
        starts.push_back(next);
        out += record(prefix + strFormat("F%08zuS%08zuN", next, file.bytes.size()) + file.name.substr(0, 205));
        next += (file.bytes.size() + RecordSize - 1) / RecordSize;
    }
    out += plan.dds;
    for (std::size_t i = 0; i < plan.files.size(); ++i) {
        out.resize(starts[i] * RecordSize, '\0');
        out += plan.files[i].bytes;
    }
    if (out.size() % RecordSize != 0) {
        out.resize((out.size() + RecordSize - 1) / RecordSize * RecordSize, '\0');
        out += '\x1a';
    }
    return out;
}

void patchRecord(std::string& container, int recordIndex, std::size_t offset, std::string_view text)
{
    container.replace(static_cast<std::size_t>(recordIndex) * RecordSize + offset, text.size(), text);
}

std::string rz3ControlFile(const ControlPlan& plan)
{
    std::string ini = "[Einstellungen]\r\n";
    const auto put = [&ini](const char* key, const std::optional<std::string>& value) {
        if (value)
            ini += std::string(key) + "=" + *value + "\r\n";
    };
    put("Kundennummer", plan.customerNumber);
    put("Stapelnummer", plan.batchNumber);
    put("Datum", plan.date);
    put("Rechnungen", plan.invoices);
    put("Anlagen", plan.attachments);
    ini += "[Anlagen]\r\n";
    for (std::size_t i = 0; i < plan.values.size(); ++i)
        ini +=
            strFormat(plan.threeDigitKeys ? "ANLAGE%03zu=%s\r\n" : "ANLAGE%05zu=%s\r\n", i + 1, plan.values[i].c_str());
    return ini;
}

} // namespace bv::samples
