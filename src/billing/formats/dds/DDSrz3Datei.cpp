#include "billing/formats/dds/DDSrz3Datei.h"

#include "billing/AdzCodes.h"
#include "billing/formats/dds/AttachmentContainer.h"
#include "billing/formats/dds/AttachmentTexts.h"
#include "billing/formats/dds/Rz3ControlFile.h"
#include "billing/formats/dds/VddsEncryption.h"
#include "platform/Files.h"
#include "platform/PrivateProfile.h"
#include "platform/Text.h"

#include <filesystem>

namespace bv {

namespace txt = attachment_texts;

namespace {

constexpr int InvoiceStartType = 100;
constexpr int AttachmentRecordType = 850;

// A missing value of the control file reads as this one character.
const char* const Missing = "#";

std::string rightTrimmed(std::string_view text)
{
    const auto end = text.find_last_not_of(" \t\r\n");
    return std::string(end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1));
}

// The control file's [Einstellungen], each value as read.
struct Settings
{
    int customerNumber = 0;
    int batchNumber = 0;
    std::string date;
    int invoices = 0;
    int attachments = 0;
};

} // namespace

const DDSrzDatei::Interface DDSrz3Datei::Rz3{"03", "1.00", " / RZ3", "DX", file_type::DdsV3};

DDSrz3Datei::DDSrz3Datei(const std::string& path, bool currencyMandatory, bool versionLimitOption, bool deferValidation)
    : DDSrzDatei(path, Rz3, currencyMandatory, versionLimitOption, true)
{
    m_firstRecordType = peekFirstRecordType();
    if (m_firstRecordType == container::ContainerRecordType) {
        m_numericTypeCode = file_type::DdsV3Kind2828;
        expectContainer(false);
    }
    if (!deferValidation)
        Validate();
}

void DDSrz3Datei::ThrowSelf()
{
    throw this;
}

int DDSrz3Datei::ReadContents()
{
    DDSrzDatei::ReadContents();
    m_marked0100Count = countRecords(InvoiceStartType, true);
    m_attachmentRecordCount = countRecords(AttachmentRecordType, false);
    return 1;
}

int DDSrz3Datei::GetAttachmentCount(int flag)
{
    return flag == 0 ? m_attachmentRecordCount : DDSrzDatei::GetAttachmentCount(flag);
}

int DDSrz3Datei::extractInvoice(DDSrzRechnung& invoice, const std::string& directory)
{
    const auto inconsistent = [&invoice] {
        return BV_ADZ_ERROR(adz::AttachmentReference, strFormat(txt::ReferenceInconsistent, invoice.ordinal + 1));
    };
    const std::vector<RecordObject>& records = recordObjects();
    const int end = std::min(invoice.firstRecordIndex + invoice.recordCount, static_cast<int>(records.size()));
    int found = 0;
    int pages = 0;
    for (int r = invoice.firstRecordIndex + 1; r < end; ++r) {
        const RecordObject& record = records[static_cast<std::size_t>(r)];
        if (record.recordType() != AttachmentRecordType || record.markerFlag())
            continue;
        const int number = decimalInt(record.fieldView(0));
        if (number < 1 || static_cast<std::size_t>(number) > attachments().size())
            throw inconsistent();
        ++found;
        const int split = extractOne(attachments()[static_cast<std::size_t>(number - 1)], number, invoice, directory);
        if (split < 1)
            return -1;
        pages += split;
    }
    if (found < invoice.attachmentCount)
        throw inconsistent();
    return pages;
}

// ---- The control-file flow ----

std::unique_ptr<DDSrz3Datei> DDSrz3Datei::ProcessControlFile(const std::string& controlPath, bool currencyMandatory,
                                                             bool versionLimitOption, bool matching,
                                                             const Preparation& prepare)
{
    const auto fail = [&controlPath](int status, const std::string& text) {
        WriteControlFileStatus(controlPath, status, text);
        return BV_ADZ_ERROR(status, text);
    };
    // The file is read once: a control file announcing many attachments costs time in its size.
    const IniDocument ini = IniDocument::parse(files::readFile(controlPath).value_or(std::string()));
    const auto value = [&ini](const char* section, const std::string& key) {
        return ini.value(section, key).value_or(Missing);
    };

    // 1: the settings.
    Settings settings;
    {
        const char* const keys[] = {"Kundennummer", "Stapelnummer", "Datum", "Rechnungen", "Anlagen"};
        std::string values[5];
        for (int i = 0; i < 5; ++i) {
            values[i] = value(rz3::SettingsSection, keys[i]);
            if (values[i] == Missing || values[i].empty())
                throw fail(rz3::StatusMissingSettings,
                           strFormat(txt::MissingSettings, controlPath.c_str(), rz3::SettingsSection));
        }
        settings = {decimalInt(values[0]), decimalInt(values[1]), trim(values[2]), decimalInt(values[3]),
                    decimalInt(values[4])};
    }

    // 2, 3: the DDS-RZ file of the batch beside the control file, unwrapped when it came enciphered.
    std::string directory = std::filesystem::path(controlPath).parent_path().string();
    if (!directory.empty())
        directory += '/';
    const std::string ddsPath = strFormat(txt::DdsPathFormat, directory.c_str(), settings.batchNumber);
    const bool enciphered = IsVddsEncrypted(ddsPath) != 0;
    if (enciphered)
        UnwrapVddsEncrypted(ddsPath, std::string());

    // 4: the attachments of [Anlagen].
    std::vector<rz3::ControlAttachment> listed;
    for (int n = 1; n <= settings.attachments; ++n) {
        const std::string key = strFormat("ANLAGE%05d", n);
        std::string text = value(rz3::AttachmentSection, key);
        if (text == Missing && settings.attachments < 999)
            text = value(rz3::AttachmentSection, strFormat("ANLAGE%03d", n));
        rz3::ControlAttachment attachment;
        if (text == Missing || !rz3::parseAttachmentValue(text, attachment))
            throw BV_ADZ_ERROR(rz3::StatusBadAttachmentValue, strFormat(txt::BadAttachmentValue, controlPath.c_str(),
                                                                        rz3::AttachmentSection, key.c_str()));
        listed.push_back(std::move(attachment));
    }

    // 5: the reader of the batch.
    auto reader = std::make_unique<DDSrz3Datei>(ddsPath, currencyMandatory, versionLimitOption, true);
    reader->m_controlPath = controlPath;
    reader->m_enciphered = enciphered;
    if (prepare)
        prepare(*reader);
    reader->Validate();
    reader->ReadContents();

    // 6: the control file must describe the same batch; a wrong invoice count is named first.
    const char* label = nullptr;
    if (settings.date != trim(reader->dateText()))
        label = txt::LabelDate;
    else if (settings.batchNumber != reader->GetBatchNumber())
        label = txt::LabelBatch;
    else if (settings.customerNumber != reader->GetCustomerNumber())
        label = txt::LabelCustomer;
    else if (settings.attachments != reader->GetAttachmentCount(0))
        label = txt::LabelAttachments;
    if (settings.invoices != reader->invoiceCount())
        label = txt::LabelInvoices;
    if (label)
        throw fail(rz3::StatusMismatch, strFormat(txt::Mismatch, label));

    // 7: the attachment list, in the order of the control file.
    std::deque<DdsAttachment>& entries = reader->attachments();
    entries.clear();
    reader->m_attachmentListBuilt = true;
    for (std::size_t i = 0; i < listed.size(); ++i) {
        std::error_code error;
        const auto size = std::filesystem::file_size(listed[i].path, error);
        if (error || size > UINT32_MAX || entries.size() >= reader->attachmentCapacity())
            throw fail(rz3::StatusMismatch, strFormat(txt::ListError, static_cast<int>(i) + 1, settings.attachments,
                                                      listed[i].path.c_str()));
        DdsAttachment& entry = entries.emplace_back();
        entry.path = listed[i].path;
        entry.size = static_cast<std::uint32_t>(size);
    }

    // 8: each 0850 record binds attachments to the invoice it belongs to.
    std::vector<DDSrzRechnung>& invoices = reader->invoiceObjects();
    std::size_t current = 0;
    std::size_t previous = invoices.size();
    int position = 0;
    int counter = 0;
    for (const RecordObject& record : reader->recordObjects()) {
        if (record.recordType() != AttachmentRecordType || record.markerFlag())
            continue;
        const int r = record.recordIndex();
        while (current < invoices.size() && r >= invoices[current].firstRecordIndex + invoices[current].recordCount)
            ++current;
        if (current >= invoices.size())
            break;
        DDSrzRechnung& invoice = invoices[current];
        const int reference = position++;
        for (std::size_t i = 0; i < listed.size(); ++i) {
            rz3::ControlAttachment& attachment = listed[i];
            if (attachment.bound)
                continue;
            bool bind = false;
            if (!matching) {
                // The n-th reference takes the n-th attachment, as extraction reads them.
                bind = static_cast<int>(i) == reference;
            } else if (toUpper(container::entryFileName(attachment.path)) ==
                           toUpper(rightTrimmed(record.fieldView(1))) &&
                       attachment.invoiceNumber == rightTrimmed(invoice.systemInvoiceNumber)) {
                entries[i].description = rightTrimmed(record.fieldView(2));
                // Within an invoice the attachments are numbered 1, 2, 3 ...
                if (current != previous) {
                    counter = 0;
                    bind = attachment.sequence < 2;
                } else {
                    ++counter;
                    bind = attachment.sequence == counter + 1;
                }
            }
            if (bind) {
                attachment.bound = true;
                reader->addToInvoice(invoice, entries[i]);
            }
        }
        previous = current;
    }

    // 9: every attachment bound and of an allowed type.
    for (const rz3::ControlAttachment& attachment : listed) {
        if (!attachment.bound)
            throw fail(rz3::StatusNotReferenced, strFormat(txt::NotReferenced, attachment.path.c_str()));
    }
    for (const rz3::ControlAttachment& attachment : listed) {
        if (!attachment.typeAllowed)
            throw fail(rz3::StatusTypeNotAllowed, strFormat(txt::TypeNotAllowed, attachment.path.c_str()));
    }

    // 10: the container that is sent.
    reader->WriteContainer();
    return reader;
}

} // namespace bv
