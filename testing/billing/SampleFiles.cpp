#include "billing/SampleFiles.h"

#include "billing/formats/dds/VddsEncryption.h"
#include "platform/Text.h"

#include <algorithm>

namespace bv::samples {

namespace {

// Service lines vary in code, date, quantity and amounts as real ones do, so that a package of
// them compresses like real invoices and not like one line repeated.
std::string serviceLine(const std::string& element, int n)
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
    return strFormat("        <%s record_id=\"%d\" tariff_type=\"001\" code=\"%s\" "
                     "ref_code=\"\" name=\"%s\" session=\"%d\" quantity=\"%d\" "
                     "date_begin=\"2023-%02d-%02dT00:00:00\" provider_id=\"7601000000001\" "
                     "responsible_id=\"7601000000001\" unit.mt=\"%.2f\" unit_factor.mt=\"0.89\" "
                     "amount.mt=\"%.2f\" unit.tt=\"%.2f\" unit_factor.tt=\"0.89\" amount.tt=\"%.2f\" "
                     "amount=\"%.2f\" vat_rate=\"0\" validate=\"true\" obligation=\"true\"/>\n",
                     element.c_str(), n, codes[kind], names[kind], 1 + n / 7, quantity,
                     1 + static_cast<int>((seed >> 3) % 12), 1 + static_cast<int>((seed >> 5) % 28), unitMt,
                     unitMt * 0.89 * quantity, unitTt, unitTt * 0.89 * quantity, (unitMt + unitTt) * 0.89 * quantity);
}

const char* schemaFile(XmlVersion version)
{
    switch (version) {
    case XmlVersion::V40:
        return "MDInvoiceRequest_400.xsd";
    case XmlVersion::V44:
        return "generalInvoiceRequest_440.xsd";
    case XmlVersion::V45:
        return "generalInvoiceRequest_450.xsd";
    case XmlVersion::V50:
        return "generalInvoiceRequest_500.xsd";
    }
    return "";
}

} // namespace

std::string xmlInvoice(const XmlInvoicePlan& sample)
{
    const bool v40 = sample.version == XmlVersion::V40;
    const std::string ns = v40 ? "http://www.xmlData.ch/xmlInvoice/XSD" : "http://www.forum-datenaustausch.ch/invoice";
    // The element name with the sample's prefix.
    const auto e = [&sample](const char* local) {
        return sample.prefix.empty() ? std::string(local) : sample.prefix + ":" + local;
    };
    const auto attr = [](const char* name, const std::string& value) {
        return strFormat(" %s=\"%s\"", name, value.c_str());
    };
    const auto stamp = [](std::int64_t t) { return std::to_string(t); };

    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n";
    xml += "<" + e("request") +
           (sample.prefix.empty() ? attr("xmlns", ns) : attr(("xmlns:" + sample.prefix).c_str(), ns)) +
           attr("xmlns:xsi", "http://www.w3.org/2001/XMLSchema-instance");
    if (sample.schemaLocation)
        xml += attr("xsi:schemaLocation", ns + " " + schemaFile(sample.version));
    xml += v40 ? attr("role", sample.role)
               : attr("language", "fr") + attr("modus", sample.role) + attr("validation_status", "0");
    xml += ">\n";

    const std::string balance = "<" + e("balance") + attr("currency", sample.currency) +
                                (sample.amountDue ? attr("amount_due", *sample.amountDue) : std::string()) +
                                attr("amount", sample.amountDue.value_or("0")) + "/>\n";
    const std::string tiers = sample.tiersPayant ? e("tiers_payant") : e("tiers_garant");
    std::string parties = "        <" + e("biller") + attr("ean_party", sample.ean) + "/>\n";
    const std::string providerBody = sample.providerFamilyName
                                         ? "<" + e("person") + attr("salutation", "Frau") + "><" + e("familyname") +
                                               ">" + *sample.providerFamilyName + "</" + e("familyname") + "><" +
                                               e("givenname") + ">" + sample.providerGivenName + "</" + e("givenname") +
                                               "></" + e("person") + ">"
                                         : "<" + e("company") + "><" + e("companyname") + ">" + sample.companyName +
                                               "</" + e("companyname") + "></" + e("company") + ">";
    if (sample.version == XmlVersion::V50)
        parties += "        <" + e("providers") + "><" + e("provider_gln") + attr("gln", sample.ean) + ">" +
                   providerBody + "</" + e("provider_gln") + "></" + e("providers") + ">\n";
    else
        parties += "        <" + e("provider") + attr("ean_party", sample.ean) + ">" + providerBody + "</" +
                   e("provider") + ">\n";
    // The patient's own name is not the guarantor's: it must not be taken for it.
    parties += "        <" + e("patient") + attr("gender", "female") + "><" + e("person") + "><" + e("familyname") +
               ">Patiente</" + e("familyname") + "><" + e("givenname") + ">Claire</" + e("givenname") + "></" +
               e("person") + "></" + e("patient") + ">\n";
    parties += "        <" + e("guarantor") + ">\n          <" + e("person") + attr("salutation", "Herr") + ">\n" +
               "            <" + e("familyname") + ">" + sample.familyName + "</" + e("familyname") + ">\n" +
               "            <" + e("givenname") + ">" + sample.givenName + "</" + e("givenname") + ">\n" +
               "          </" + e("person") + ">\n        </" + e("guarantor") + ">\n";
    const bool balanceInTiers = sample.version == XmlVersion::V45 || sample.version == XmlVersion::V50;
    const std::string tiersBlock = "      <" + tiers + attr("payment_period", "P30D") + ">\n" + parties +
                                   (balanceInTiers ? "        " + balance : std::string()) + "      </" + tiers + ">\n";

    std::string closing;
    if (v40) {
        xml += "  <" + e("header") + ">\n    <" + e("sender") +
               (sample.withSender ? attr("ean_party", sample.ean) : std::string()) + "/>\n    <" + e("intermediate") +
               attr("ean_party", "7601000000003") + "/>\n    <" + e("recipient") + attr("ean_party", "7601000000002") +
               "/>\n  </" + e("header") + ">\n";
        xml += "  <" + e("invoice") + attr("invoice_id", "R-1") + attr("invoice_date", "2023-11-14T00:00:00") +
               (sample.timestamp ? attr("invoice_timestamp", stamp(*sample.timestamp)) : std::string()) + ">\n";
        xml += "    " + balance + tiersBlock;
        xml += "    <" + e("detail") + attr("date_begin", "2023-11-01T00:00:00") + ">\n      <" + e("services") + ">\n";
        closing = "      </" + e("services") + ">\n    </" + e("detail") + ">\n  </" + e("invoice") + ">\n</" +
                  e("request") + ">\n";
    } else {
        xml += "  <" + e("processing") + ">\n    <" + e("transport") +
               (sample.withSender ? attr("from", sample.ean) : std::string()) + attr("to", "7601000000002") +
               ">\n      <" + e("via") + attr("via", "7601000000003") + attr("sequence_id", "1") + "/>\n    </" +
               e("transport") + ">\n  </" + e("processing") + ">\n";
        xml += "  <" + e("payload") + attr("type", sample.reminderTimestamp ? "reminder" : "invoice") +
               attr("storno", "false") + attr("copy", "false") + ">\n";
        xml += "    <" + e("invoice") +
               (sample.timestamp ? attr("request_timestamp", stamp(*sample.timestamp)) : std::string()) +
               attr("request_date", "2023-11-14T00:00:00") + attr("request_id", "R-1") + "/>\n";
        if (sample.reminderTimestamp)
            xml += "    <" + e("reminder") + attr("request_timestamp", stamp(*sample.reminderTimestamp)) +
                   attr("request_date", "2023-12-14T00:00:00") + attr("request_id", "M-1") +
                   attr("reminder_level", "1") + "/>\n";
        xml += "    <" + e("body") + attr("role", "physician") + attr("place", "practice") + ">\n";
        if (!balanceInTiers)
            xml += "      " + balance;
        xml += tiersBlock + "      <" + e("services") + ">\n";
        closing = "      </" + e("services") + ">\n    </" + e("body") + ">\n  </" + e("payload") + ">\n</" +
                  e("request") + ">\n";
    }
    const std::string record = e("record_tarmed");
    for (int n = 1; xml.size() + closing.size() < sample.targetSize; ++n)
        xml += serviceLine(record, n);
    xml += closing;
    return xml;
}

std::string xmlInvoice(const std::string& ean, const std::string& amountDue, std::int64_t timestamp)
{
    XmlInvoicePlan sample;
    sample.ean = ean;
    sample.amountDue = amountDue;
    sample.timestamp = timestamp;
    return xmlInvoice(sample);
}

std::string chzFile(const ChzPlan& sample)
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
