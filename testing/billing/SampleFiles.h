#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace bv::samples {

// An electronic invoice in the shape of the published general invoice request: root
// "invoice:request", sender EAN, invoice time stamp, balance, guarantor person and provider company.
struct XmlInvoiceSpec
{
    std::string ean = "7601000000001";
    std::optional<std::string> amountDue = "123.45"; // attribute amount_due of invoice:balance
    std::string currency = "CHF";
    std::optional<std::int64_t> timestamp = 1700000000; // invoice_timestamp of invoice:invoice
    std::string role = "production";
    std::string familyName = "Muster";
    std::string givenName = "Hans";
    std::string companyName = "Praxis Dr. Beispiel";
    bool withSender = true;
    // Service lines are added until the document reaches about this size.
    std::size_t targetSize = 0;
};
std::string xmlInvoice(const XmlInvoiceSpec& sample);
std::string xmlInvoice(const std::string& ean, const std::string& amountDue, std::int64_t timestamp);

// A CHZ file: some bytes of body and the summary section "Allgemein". Keys set to nullopt are left out.
struct ChzSpec
{
    std::optional<std::string> kuNr = "4711";
    std::optional<std::string> stapelNr = "12";
    std::optional<std::string> datum = "07.03.2013";
    std::optional<std::string> anzRech = "3";
    std::optional<std::string> totalNetto = "1234.56";
};
std::string chzFile(const ChzSpec& sample);

// Fixed-record files, as small as the file-type detection accepts them.
// 256-byte records ending in CR LF; version in bytes 8-9, kind in bytes 22-25.
std::string ddsFile(int version, int kind, int records = 3);
// 128-byte records: header type "000", last record type "990", both with the same first six bytes;
// `trailerMark` goes to bytes 29-32 of the last record; `lineEnds` puts CR LF after every record.
std::string fixed128File(const std::string& trailerMark, bool lineEnds, int records = 3,
                         const std::string& lastPrefix = "123456");

// An enciphered DDS-RZ delivery of `plain` with a 2048-byte header carrying the key.
std::string encipheredDelivery(const std::string& plain, unsigned char keySeed = 7);

} // namespace bv::samples
