#include "billing/formats/dds/DDSrz2Datei.h"

#include "billing/AdzCodes.h"
#include "billing/formats/dds/AttachmentContainer.h"
#include "billing/formats/dds/AttachmentTexts.h"
#include "platform/Files.h"
#include "platform/PrivateProfile.h"
#include "platform/Text.h"

#include <filesystem>

namespace bv {

namespace {

constexpr int InvoiceStartType = 100;

const char* const InvoiceSection = "RZRECHNUNG";
const char* const InvoiceIndexKey = "Rechnungsindex";
const char* const LaboratoryAmountKey = "Laborbetrag";
constexpr std::size_t IniBuffer = 256;

// "12,50 EUR" is 1250 hundredths: every "," and every "EUR" is dropped.
std::int64_t laboratoryAmount(std::string text)
{
    text = replaceAll(replaceAll(std::move(text), ",", ""), "EUR", "");
    return decimalValue(text);
}

} // namespace

const DDSrzDatei::Interface DDSrz2Datei::Rz2{"02", "1.0", " / RZ2", "DA", file_type::DdsV2};

DDSrz2Datei::DDSrz2Datei(const std::string& path, bool currencyMandatory, bool versionLimitOption, bool deferValidation)
    : DDSrzDatei(path, Rz2, currencyMandatory, versionLimitOption, true)
{
    m_firstRecordType = peekFirstRecordType();
    if (m_firstRecordType == container::ContainerRecordType) {
        m_numericTypeCode = file_type::DdsV2Kind2828;
        expectContainer(true);
    }
    if (!deferValidation)
        Validate();
}

void DDSrz2Datei::ThrowSelf()
{
    throw this;
}

int DDSrz2Datei::ReadContents()
{
    DDSrzDatei::ReadContents();
    m_marked0100Count = countRecords(InvoiceStartType, true);
    return 1;
}

void DDSrz2Datei::bindAttachments(DDSrzRechnung& invoice)
{
    if (interfaceText() != Rz2.number || m_numericTypeCode != file_type::DdsV2Kind2828)
        return;
    const std::string number = trim(invoice.systemInvoiceNumber);
    for (const DdsAttachment& entry : attachments()) {
        if (entry.invoiceNumberText == number)
            addToInvoice(invoice, entry);
    }
}

void DDSrz2Datei::AddAttachment(const std::string& path)
{
    if (attachments().size() >= attachmentCapacity())
        return;
    const std::filesystem::path ini = std::filesystem::path(path).replace_extension("ini");
    std::error_code error;
    if (!std::filesystem::is_regular_file(ini, error))
        throw BV_ADZ_ERROR(adz::Content, strFormat(attachment_texts::NoIniFile, path.c_str()));
    m_attachmentListBuilt = true;
    DdsAttachment& entry = attachments().emplace_back();
    entry.path = path;
    entry.size = static_cast<std::uint32_t>(std::filesystem::file_size(path, error));
    if (error)
        entry.size = 0;
    entry.companionPath = ini.string();
    entry.companionSize = static_cast<std::uint32_t>(std::filesystem::file_size(ini, error));
    if (error)
        entry.companionSize = 0;
    entry.invoiceIndex = decimalInt(profile::readString(InvoiceSection, InvoiceIndexKey, "-1", IniBuffer, ini));
    entry.laboratoryAmount =
        laboratoryAmount(profile::readString(InvoiceSection, LaboratoryAmountKey, "-1", IniBuffer, ini));
    // An index beyond the invoices of the file binds nowhere.
    std::vector<DDSrzRechnung>& invoices = invoiceObjects();
    if (entry.invoiceIndex >= 0 && static_cast<std::size_t>(entry.invoiceIndex) < invoices.size())
        addToInvoice(invoices[static_cast<std::size_t>(entry.invoiceIndex)], entry);
}

void DDSrz2Datei::AddFromTempDDS()
{
    if (m_attachmentListBuilt)
        throw BV_ADZ_ERROR(adz::AttachmentContainer, attachment_texts::ListAlreadyBuilt);
    m_attachmentListBuilt = true;
    const std::string directory = AttachmentDirectory();
    for (const files::DirEntry& entry : files::listDirectory(directory, "*.tif")) {
        if (!entry.isDirectory)
            AddAttachment(directory + entry.name);
    }
}

int DDSrz2Datei::extractInvoice(DDSrzRechnung& invoice, const std::string& directory)
{
    int pages = 0;
    for (int k = 0; k < invoice.boundAttachments; ++k) {
        const int split = extractOne(*invoice.attachments[static_cast<std::size_t>(k)], k, invoice, directory);
        if (split < 1)
            return -1;
        pages += split;
    }
    return pages;
}

} // namespace bv
