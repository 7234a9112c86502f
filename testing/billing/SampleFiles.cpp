#include "billing/SampleFiles.h"

#include "billing/formats/dds/VddsEncryption.h"
#include "platform/Text.h"

#include <algorithm>

namespace bv::samples {

namespace {

// Service lines vary in code, date, quantity and amounts as real ones do, so that a package of
// them compresses like real invoices and not like one line repeated.
std::string serviceLine(int n)
{
    static const char* const codes[] = {"00.0010", "00.0020", "00.0030", "00.0060", "00.0140", "00.0510",
                                        "00.1345", "02.0010", "39.0020", "00.0415", "35.0010", "00.2510"};
    static const char* const names[] = {"Konsultation, erste 5 Min. (Grundkonsultation)",
                                        "Konsultation, jede weiteren 5 Min. (Konsultationszuschlag)",
                                        "Konsultation, letzte 5 Min. (Konsultationszuschlag)",
                                        "Telefonische Konsultation durch den Facharzt",
                                        "Aktenstudium in Abwesenheit des Patienten",
                                        "Besuch, erste 5 Min. (Grundbesuch)",
                                        "Kleine Untersuchung durch den Facharzt",
                                        "Psychiatrische Diagnostik und Therapie",
                                        "Injektion, intramuskulär",
                                        "Instruktion von Selbstmessungen",
                                        "Verband, klein",
                                        "Spezifische Beratung"};
    const unsigned seed = static_cast<unsigned>(n) * 2654435761u;
    const int kind = static_cast<int>(seed % 12);
    const int quantity = 1 + static_cast<int>((seed >> 8) % 4);
    const double unitMt = 5.0 + static_cast<double>((seed >> 4) % 4000) / 100.0;
    const double unitTt = 3.0 + static_cast<double>((seed >> 12) % 3000) / 100.0;
    return strFormat("        <invoice:record_tarmed record_id=\"%d\" tariff_type=\"001\" code=\"%s\" "
                     "ref_code=\"\" name=\"%s\" session=\"%d\" quantity=\"%d\" "
                     "date_begin=\"2023-%02d-%02dT00:00:00\" provider_id=\"7601000000001\" "
                     "responsible_id=\"7601000000001\" unit.mt=\"%.2f\" unit_factor.mt=\"0.89\" "
                     "amount.mt=\"%.2f\" unit.tt=\"%.2f\" unit_factor.tt=\"0.89\" amount.tt=\"%.2f\" "
                     "amount=\"%.2f\" vat_rate=\"0\" validate=\"true\" obligation=\"true\"/>\n",
                     n, codes[kind], names[kind], 1 + n / 7, quantity, 1 + static_cast<int>((seed >> 3) % 12),
                     1 + static_cast<int>((seed >> 5) % 28), unitMt, unitMt * 0.89 * quantity, unitTt,
                     unitTt * 0.89 * quantity, (unitMt + unitTt) * 0.89 * quantity);
}

} // namespace

std::string xmlInvoice(const XmlInvoiceSpec& sample)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n";
    xml += "<invoice:request xmlns:invoice=\"http://www.forum-datenaustausch.ch/invoice\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" language=\"fr\" modus=\"production\" "
           "role=\"" +
           sample.role + "\" validation_status=\"0\">\n";
    xml += "  <invoice:processing>\n    <invoice:transport from=\"" + sample.ean +
           "\" to=\"7601000000002\">\n      <invoice:via via=\"7601000000003\" sequence_id=\"1\"/>\n"
           "    </invoice:transport>\n  </invoice:processing>\n";
    xml += "  <invoice:payload type=\"invoice\" storno=\"false\" copy=\"false\">\n";
    xml += "    <invoice:invoice request_timestamp=\"1700000000\" request_date=\"2023-11-14T00:00:00\" "
           "request_id=\"R-1\"";
    if (sample.timestamp)
        xml += " invoice_timestamp=\"" + std::to_string(*sample.timestamp) + "\"";
    xml += "/>\n    <invoice:body role_title=\"Arzt\" role=\"physician\" place=\"practice\">\n";
    xml += "      <invoice:tiers_garant payment_period=\"P30D\">\n";
    xml += "        <invoice:biller ean_party=\"" + sample.ean + "\"/>\n";
    xml += "        <invoice:provider ean_party=\"" + sample.ean +
           "\">\n          <invoice:company>\n"
           "            <invoice:companyname>" +
           sample.companyName + "</invoice:companyname>\n          </invoice:company>\n        </invoice:provider>\n";
    xml += "        <invoice:guarantor>\n          <invoice:person salutation=\"Herr\">\n"
           "            <invoice:familyname>" +
           sample.familyName + "</invoice:familyname>\n            <invoice:givenname>" + sample.givenName +
           "</invoice:givenname>\n          </invoice:person>\n        </invoice:guarantor>\n";
    xml += "        <invoice:balance currency=\"" + sample.currency + "\"";
    if (sample.amountDue)
        xml += " amount_due=\"" + *sample.amountDue + "\"";
    xml += " amount=\"" + sample.amountDue.value_or("0") + "\"/>\n      </invoice:tiers_garant>\n";
    if (sample.withSender)
        xml += "      <invoice:sender ean_party=\"" + sample.ean + "\"/>\n";
    else
        xml += "      <invoice:sender/>\n";
    xml += "      <invoice:services>\n";
    const std::string closing = "      </invoice:services>\n    </invoice:body>\n  </invoice:payload>\n"
                                "</invoice:request>\n";
    for (int n = 1; xml.size() + closing.size() < sample.targetSize; ++n)
        xml += serviceLine(n);
    xml += closing;
    return xml;
}

std::string xmlInvoice(const std::string& ean, const std::string& amountDue, std::int64_t timestamp)
{
    XmlInvoiceSpec sample;
    sample.ean = ean;
    sample.amountDue = amountDue;
    sample.timestamp = timestamp;
    return xmlInvoice(sample);
}

std::string chzFile(const ChzSpec& sample)
{
    std::string text = "[Daten]\r\nZeilen=2\r\n\r\n[Allgemein]\r\n";
    const auto key = [&text](const char* name, const std::optional<std::string>& value) {
        if (value)
            text += std::string(name) + "=" + *value + "\r\n";
    };
    key("KuNr", sample.kuNr);
    key("StapelNr", sample.stapelNr);
    key("Datum", sample.datum);
    key("AnzRech", sample.anzRech);
    key("TotalNetto", sample.totalNetto);
    text += "\r\n[Rechnungen]\r\n1=Rechnung 1\r\n";
    return text;
}

std::string ddsFile(int version, int kind, int records)
{
    std::string file;
    for (int r = 0; r < records; ++r) {
        // customer number (8), version (2), running number and data, kind in bytes 22-25
        std::string record = strFormat("%08d%02d%06d%04d  %04d", 4711, version, r + 1, 0, kind);
        record.resize(254, ' ');
        record += "\r\n";
        file += record;
    }
    return file;
}

std::string fixed128File(const std::string& trailerMark, bool lineEnds, int records, const std::string& lastPrefix)
{
    std::string file;
    for (int r = 0; r < records; ++r) {
        const bool last = r == records - 1;
        std::string record = (last ? lastPrefix : std::string("123456")).substr(0, 6);
        record.resize(6, ' ');
        record += "000001";
        record += r == 0 ? "000" : last ? "990" : "100";
        record.resize(29, '0');
        if (last)
            record += (trailerMark + "    ").substr(0, 4);
        record.resize(128, ' ');
        file += record;
        if (lineEnds)
            file += "\r\n";
    }
    return file;
}

std::string encipheredDelivery(const std::string& plain, unsigned char keySeed)
{
    std::string file(vdds::HeaderSize, '\0');
    vdds::Key key{};
    for (std::size_t i = 0; i < key.size(); ++i) {
        key[i] = static_cast<unsigned char>(keySeed * 31 + i * 17);
        file[vdds::KeyOffset + i] = static_cast<char>(key[i]);
    }
    for (std::size_t pos = 0; pos < plain.size(); pos += vdds::BlockSize) {
        std::string block = plain.substr(pos, vdds::BlockSize);
        vdds::cipherBlock(key, reinterpret_cast<unsigned char*>(block.data()), block.size());
        file += block;
    }
    return file;
}

} // namespace bv::samples
