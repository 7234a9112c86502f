#pragma once

#include "billing/formats/dds/DDSrzDatei.h"

namespace bv {

// The RZ2 reader (interface "02", type code "DA"): invoice data alone, or packed with scanned
// attachments in an attachment container (first record of type 2828, type code 0xC003), where each
// TIFF file comes with an INI file that names its invoice.
class DDSrz2Datei : public DDSrzDatei
{
public:
    static const Interface Rz2;

    DDSrz2Datei(const std::string& path, bool currencyMandatory, bool versionLimitOption, bool deferValidation = false);

    [[noreturn]] void ThrowSelf() override;
    // LOAD_ALL, then the count of 0100 records that start no invoice.
    int ReadContents() override;

    // Appends a scanned attachment (a TIFF file) to the attachment list; its INI file of the same
    // name with extension "ini" must exist and names the invoice (Rechnungsindex) and the laboratory
    // amount (Laborbetrag). A full list leaves the attachment out.
    void AddAttachment(const std::string& path);
    // The attachment list of every "*.tif" of the attachment directory; -703 when a list exists.
    void AddFromTempDDS();

    int firstRecordType() const { return m_firstRecordType; }
    int marked0100Count() const { return m_marked0100Count; }

protected:
    // An invoice of a container takes the attachments whose INI file names its system invoice number.
    void bindAttachments(DDSrzRechnung& invoice) override;
    int extractInvoice(DDSrzRechnung& invoice, const std::string& directory) override;

private:
    int m_firstRecordType = -1;
    int m_marked0100Count = 0;
};

} // namespace bv
