// The attachment side of the DDS-RZ reader: packing the file and its attachments into an attachment
// container, unpacking one, binding attachments to invoices and extracting an invoice's attachments.

#include "billing/AdzCodes.h"
#include "billing/formats/dds/AttachmentContainer.h"
#include "billing/formats/dds/AttachmentTexts.h"
#include "billing/formats/dds/DDSrzDatei.h"
#include "billing/formats/records/RecordTexts.h"
#include "platform/PrivateProfile.h"
#include "platform/Text.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace bv {

namespace txt = attachment_texts;

namespace {

constexpr std::uint64_t RecordSize = container::RecordSize;

// Keys of the INI file that names an attachment's invoice.
const char* const InvoiceSection = "RZRECHNUNG";
const char* const InvoiceNumberKey = "Rechnungsnummer";
const char* const InvoiceIndexKey = "Rechnungsindex";
const char* const DataSection = "DATA";
const char* const CustomerKey = "brevalis-Kundennummer";
const char* const Missing = "fehler";
constexpr std::size_t IniBuffer = 256;

std::uint64_t roundUp(std::uint64_t bytes)
{
    return (bytes + RecordSize - 1) / RecordSize * RecordSize;
}

// A descriptor closed when it goes.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

} // namespace

std::size_t DDSrzDatei::attachmentCapacity() const
{
    return static_cast<std::size_t>(std::max(m_invoiceCount, 0)) * DDSrzRechnung::MaxAttachments;
}

std::string DDSrzDatei::extractedFileName() const
{
    const std::filesystem::path name(GetFilePath(false));
    return strFormat(txt::ExtractedName, "", name.stem().string().c_str(), name.extension().string().c_str());
}

void DDSrzDatei::addToInvoice(DDSrzRechnung& invoice, const DdsAttachment& entry)
{
    if (invoice.boundAttachments >= DDSrzRechnung::MaxAttachments)
        throw BV_ADZ_ERROR(adz::Structural, strFormat(txt::TooManyAttachments, std::to_string(invoice.number).c_str(),
                                                      DDSrzRechnung::MaxAttachments));
    invoice.attachments[static_cast<std::size_t>(invoice.boundAttachments++)] = &entry;
}

void DDSrzDatei::DiscardAttachmentList()
{
    for (DDSrzRechnung& invoice : m_invoices) {
        invoice.boundAttachments = 0;
        invoice.attachments.fill(nullptr);
    }
    m_attachments.clear();
    m_attachmentListBuilt = false;
}

void DDSrzDatei::AdoptReceiptInis()
{
    for (DdsAttachment& entry : m_attachments) {
        if (!entry.companionPath.empty() || entry.path.empty())
            continue;
        const std::filesystem::path ini = std::filesystem::path(entry.path).replace_extension("ini");
        std::error_code error;
        const auto size = std::filesystem::file_size(ini, error);
        if (error || !std::filesystem::is_regular_file(ini, error))
            continue;
        entry.companionPath = ini.string();
        entry.companionSize = static_cast<std::uint32_t>(size);
    }
}

// ---- Unpacking ----

int DDSrzDatei::ReadContainer(bool pairs)
{
    OpenFile& file = *m_openFile;
    const std::uint64_t fileSize = static_cast<std::uint64_t>(std::max<std::int64_t>(file.size(), 0));
    std::string record(RecordSize, '\0');
    const auto readRecordAt = [&](std::uint64_t index) {
        const std::int64_t got = file.readAt(static_cast<std::int64_t>(index * RecordSize), record.data(), RecordSize);
        if (got != static_cast<std::int64_t>(RecordSize))
            throw BV_ADZ_ERROR(adz::Content, strFormat(txt::RecordShortRead, static_cast<unsigned>(index * RecordSize),
                                                       static_cast<unsigned>(std::max<std::int64_t>(got, 0))));
    };

    // 1, 2: the counts of the header.
    readRecordAt(0);
    const container::Header header = container::parseHeader(record);
    const int files = header.directoryRecords - 1;
    // The RZ3 reader does not compare the counts; a header without directory or billing file is
    // refused by both.
    if (files < 0 || header.lastDdsIndex < 0 || (pairs && files != header.referenceCount))
        throw BV_ADZ_ERROR(adz::AttachmentContainer, strFormat(txt::CountMismatch, std::to_string(files).c_str(),
                                                               std::to_string(header.referenceCount).c_str()));
    if (pairs && files % 2 != 0)
        throw BV_ADZ_ERROR(adz::AttachmentContainer, strFormat(txt::OddCount, std::to_string(files).c_str()));
    const auto firstDds = static_cast<std::uint64_t>(header.directoryRecords);
    const std::uint64_t lastDds = firstDds + static_cast<std::uint64_t>(header.lastDdsIndex);
    if ((lastDds + 1) * RecordSize > fileSize)
        throw BV_ADZ_ERROR(adz::AttachmentContainer,
                           strFormat(txt::BillingFileBeyondEnd, static_cast<long long>(firstDds),
                                     static_cast<long long>(lastDds), static_cast<unsigned long long>(fileSize)));

    // 5, 6: the directory. Every name and every range is checked before anything is written.
    const std::string extracted = extractedFileName();
    std::vector<container::DirectoryRecord> directory;
    directory.reserve(static_cast<std::size_t>(files));
    for (int i = 1; i <= files; ++i) {
        readRecordAt(static_cast<std::uint64_t>(i));
        container::DirectoryRecord entry = container::parseDirectoryRecord(record);
        const std::string name = container::entryFileName(entry.name);
        if (name.empty() || name == "." || name == ".." || iequals(name, extracted))
            throw BV_ADZ_ERROR(adz::AttachmentContainer, strFormat(txt::UnsafeEntryName, i, entry.name.c_str()));
        const auto offset = static_cast<unsigned long long>(std::max(entry.firstRecord, 0LL)) * RecordSize;
        const auto size = static_cast<unsigned long long>(std::max(entry.size, 0LL));
        if (entry.firstRecord < 0 || entry.size < 0 || offset > fileSize || size > fileSize - offset)
            throw BV_ADZ_ERROR(adz::AttachmentContainer, strFormat(txt::EntryBeyondEnd, i, entry.name.c_str(), offset,
                                                                   size, static_cast<unsigned long long>(fileSize)));
        directory.push_back(std::move(entry));
    }

    // 3: the control record installs the field tables of the embedded file.
    m_reader.setCodePage(records::CodePageStep());
    m_recordCount = static_cast<int>(lastDds + 1);
    m_reader.attach(m_openFile.get(), m_recordCount);
    int declared = 0;
    ReadControlRecord(ReadRecord(static_cast<int>(lastDds)), declared);

    // 4: the embedded DDS-RZ file.
    const std::string target = AttachmentDirectory();
    const std::string extractedPath = target + extracted;
    if (!container::extractRange(file.descriptor(), firstDds * RecordSize, (lastDds - firstDds + 1) * RecordSize,
                                 extractedPath))
        throw BV_ADZ_ERROR(adz::AttachmentExtraction, strFormat(txt::ExtractionFailed, extractedPath.c_str()));

    const auto writeOut = [&](const container::DirectoryRecord& entry) {
        const std::string path = target + container::entryFileName(entry.name);
        if (!container::extractRange(file.descriptor(), static_cast<std::uint64_t>(entry.firstRecord) * RecordSize,
                                     static_cast<std::uint64_t>(entry.size), path))
            throw BV_ADZ_ERROR(adz::AttachmentExtraction, strFormat(txt::ExtractionFailed, path.c_str()));
        return path;
    };
    const auto entryOf = [](const container::DirectoryRecord& entry) {
        DdsAttachment attachment;
        attachment.size = static_cast<std::uint32_t>(entry.size);
        attachment.offset = static_cast<std::uint64_t>(entry.firstRecord) * RecordSize;
        return attachment;
    };

    m_attachments.clear();
    m_attachmentListBuilt = true;
    if (!pairs) {
        // RZ3: every packed file is an attachment.
        for (const container::DirectoryRecord& entry : directory) {
            DdsAttachment& attachment = m_attachments.emplace_back(entryOf(entry));
            attachment.path = writeOut(entry);
        }
    } else {
        // RZ2: the TIFF files, each with the INI file of the same name that names its invoice.
        std::vector<const container::DirectoryRecord*> tiffs;
        std::vector<const container::DirectoryRecord*> companions;
        for (const container::DirectoryRecord& entry : directory) {
            if (container::extensionOf(entry.name) == ".tif") {
                tiffs.push_back(&entry);
                companions.push_back(nullptr);
            }
        }
        for (const container::DirectoryRecord& entry : directory) {
            if (container::extensionOf(entry.name) != ".ini")
                continue;
            for (std::size_t t = 0; t < tiffs.size(); ++t) {
                if (!companions[t] &&
                    container::withoutExtension(tiffs[t]->name) == container::withoutExtension(entry.name)) {
                    companions[t] = &entry;
                    break;
                }
            }
        }
        const std::size_t pairCount = std::min(static_cast<std::size_t>(files / 2), tiffs.size());
        for (std::size_t t = 0; t < pairCount; ++t) {
            DdsAttachment& attachment = m_attachments.emplace_back(entryOf(*tiffs[t]));
            attachment.path = writeOut(*tiffs[t]);
            if (!companions[t])
                return 0; // the reader stays on the container
            attachment.companionPath = writeOut(*companions[t]);
            attachment.companionSize = static_cast<std::uint32_t>(companions[t]->size);
            attachment.companionOffset = static_cast<std::uint64_t>(companions[t]->firstRecord) * RecordSize;
            const std::string number =
                profile::readString(InvoiceSection, InvoiceNumberKey, Missing, IniBuffer, attachment.companionPath);
            if (number == Missing || number.empty() || number.size() > 10)
                throw BV_ADZ_ERROR(adz::AttachmentContainer, strFormat(txt::InvoiceNumberUnusable, number.c_str()));
            attachment.invoiceNumberText = number;
            const std::string index =
                profile::readString(InvoiceSection, InvoiceIndexKey, Missing, IniBuffer, attachment.companionPath);
            if (index == Missing)
                throw BV_ADZ_ERROR(adz::AttachmentContainer, strFormat(txt::InvoiceIndexUnusable, index.c_str()));
            attachment.invoiceIndex = decimalInt(index);
            const auto keys = profile::keyNames(DataSection, attachment.companionPath);
            attachment.customerFlag =
                std::any_of(keys.begin(), keys.end(), [](const std::string& key) { return iequals(key, CustomerKey); });
        }
    }

    // 8: from here on the reader reads the extracted file.
    m_containerPath = file.path();
    openFileOrThrow(extractedPath);
    m_header = records::DdsHeaderParser();
    return 1;
}

// ---- Packing ----

std::string DDSrzDatei::WriteContainer()
{
    const int count = static_cast<int>(m_attachments.size());
    for (int i = 0; i < count; ++i) {
        if (m_attachments[static_cast<std::size_t>(i)].path.empty())
            throw BV_ADZ_ERROR(adz::Content, strFormat(txt::ListIncomplete, i, count));
    }
    const int companions = static_cast<int>(std::count_if(
        m_attachments.begin(), m_attachments.end(), [](const DdsAttachment& e) { return !e.companionPath.empty(); }));
    const int files = count + companions;
    if (files + 1 > container::LargestFourDigits)
        throw BV_ADZ_ERROR(adz::Content, strFormat(txt::TooManyFiles, files));

    const std::string prefix = container::recordPrefix(m_customerNumber, m_interface.number);
    std::string head = container::headerRecord(prefix, files + 1, m_recordCount - 1, files);
    std::uint64_t next = static_cast<std::uint64_t>(files) + static_cast<std::uint64_t>(m_recordCount) + 1;
    const auto place = [&](std::uint64_t size, const std::string& name, std::uint64_t& offset) {
        if (next > container::LargestEightDigits || size > container::LargestEightDigits)
            throw BV_ADZ_ERROR(adz::Content,
                               strFormat(txt::FileTooLarge, name.c_str(), static_cast<unsigned long long>(size)));
        offset = next * RecordSize;
        head += container::directoryRecord(prefix, next, size, name);
        next += (size + RecordSize - 1) / RecordSize;
    };
    for (DdsAttachment& entry : m_attachments)
        place(entry.size, entry.path, entry.offset);
    for (DdsAttachment& entry : m_attachments) {
        if (!entry.companionPath.empty())
            place(entry.companionSize, entry.companionPath, entry.companionOffset);
    }

    const std::string path =
        strFormat(txt::ContainerName, AttachmentDirectory().c_str(), m_customerNumber, m_batchNumber % 1000);
    Descriptor out(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    const auto notWritten = [&path] {
        return BV_ADZ_ERROR(adz::Structural, strFormat(txt::ContainerNotCreated, path.c_str()));
    };
    if (out.get() < 0)
        throw notWritten();

    // The records of the DDS-RZ file follow the directory, byte for byte.
    const std::uint64_t ddsStart = head.size();
    head.resize(head.size() + static_cast<std::size_t>(m_recordCount) * RecordSize);
    for (int r = 0; r < m_recordCount; ++r) {
        const std::int64_t offset = static_cast<std::int64_t>(r) * static_cast<std::int64_t>(RecordSize);
        const std::int64_t got =
            m_openFile->readAt(offset, head.data() + ddsStart + static_cast<std::uint64_t>(offset), RecordSize);
        if (got != static_cast<std::int64_t>(RecordSize))
            throw BV_ADZ_ERROR(adz::Content, strFormat(txt::RecordShortRead, static_cast<unsigned>(offset),
                                                       static_cast<unsigned>(std::max<std::int64_t>(got, 0))));
    }
    if (::pwrite(out.get(), head.data(), head.size(), 0) != static_cast<ssize_t>(head.size()))
        throw notWritten();

    std::uint64_t end = head.size();
    const auto copyIn = [&](const std::string& source, std::uint64_t size, std::uint64_t offset) {
        Descriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
        if (in.get() < 0 || !container::copyRange(in.get(), 0, out.get(), offset, size))
            throw BV_ADZ_ERROR(adz::Content, strFormat(txt::AttachmentNotRead, source.c_str()));
        end = std::max(end, offset + size);
    };
    for (const DdsAttachment& entry : m_attachments)
        copyIn(entry.path, entry.size, entry.offset);
    for (const DdsAttachment& entry : m_attachments) {
        if (!entry.companionPath.empty())
            copyIn(entry.companionPath, entry.companionSize, entry.companionOffset);
    }
    // Data that ends off a record boundary is closed by an end-of-file byte at the next boundary.
    if (end % RecordSize != 0) {
        const char eof = 0x1A;
        if (::pwrite(out.get(), &eof, 1, static_cast<off_t>(roundUp(end))) != 1)
            throw notWritten();
    }
    if (!out.close())
        throw notWritten();
    m_containerPath = path;
    return path;
}

// ---- Extracting one invoice's attachments ----

int DDSrzDatei::ExtractAttachments(int invoiceIndex, const std::string& directory)
{
    if (invoiceIndex < 0 || static_cast<std::size_t>(invoiceIndex) >= m_invoices.size())
        return 0;
    std::string target = directory;
    if (target.empty() || target.back() != '/')
        target += '/';
    return extractInvoice(m_invoices[static_cast<std::size_t>(invoiceIndex)], target);
}

int DDSrzDatei::extractOne(const DdsAttachment& entry, int number, const DDSrzRechnung& invoice,
                           const std::string& directory)
{
    const std::string target = strFormat(txt::ExtractionTarget, directory.c_str(), number);
    bool written = false;
    if (!m_containerPath.empty()) {
        Descriptor in(::open(m_containerPath.c_str(), O_RDONLY | O_CLOEXEC));
        written = in.get() >= 0 && container::extractRange(in.get(), entry.offset, entry.size, target);
    } else {
        Descriptor in(::open(entry.path.c_str(), O_RDONLY | O_CLOEXEC));
        written = in.get() >= 0 && container::extractRange(in.get(), 0, entry.size, target);
    }
    if (!written)
        throw BV_ADZ_ERROR(adz::AttachmentExtraction, strFormat(txt::ExtractionFailed, target.c_str()));
    // Without a splitter the split fails as it would at the start of a splitter that is not configured.
    return m_splitter ? m_splitter(target, invoice.ordinal) : -1;
}

} // namespace bv
