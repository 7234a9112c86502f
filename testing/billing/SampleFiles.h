#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace bv::samples {

// The published versions of the electronic invoice request that practice software writes.
enum class XmlVersion
{
    V40, // namespace of its own; sender in the header, balance and tiers in the invoice element
    V44, // processing/transport names the sender; payload/body holds the balance
    V45, // the balance moves into the tiers
    V50, // providers listed under "providers"
};

// An electronic invoice request laid out as its version publishes it: sender, time stamp, balance,
// tiers garant or tiers payant with provider, patient and guarantor, and service lines.
struct XmlInvoicePlan
{
    XmlVersion version = XmlVersion::V40;
    std::string prefix = "invoice"; // "" writes every element unprefixed under a default namespace
    bool schemaLocation = true;     // names the version's schema in xsi:schemaLocation
    std::string ean = "7601000000001";
    std::optional<std::string> amountDue = "123.45"; // amount_due of the balance
    std::string currency = "CHF";
    std::optional<std::int64_t> timestamp = 1700000000; // invoice_timestamp (4.0), request_timestamp
    std::optional<std::int64_t> reminderTimestamp;      // from 4.4: writes a reminder with this stamp
    std::string role = "production";                    // role (4.0) or modus of the request
    std::string familyName = "Muster";                  // guarantor
    std::string givenName = "Hans";
    std::string companyName = "Praxis Dr. Beispiel"; // provider company
    std::optional<std::string> providerFamilyName;   // set: the provider is a person
    std::string providerGivenName = "Eva";
    bool tiersPayant = false;
    bool withSender = true; // false leaves out the sender EAN attribute
    // Service lines are added until the document reaches about this size.
    std::size_t targetSize = 0;
};
std::string xmlInvoice(const XmlInvoicePlan& sample);
std::string xmlInvoice(const std::string& ean, const std::string& amountDue, std::int64_t timestamp);

// A CHZ file: some bytes of body and the summary section "Allgemein". Keys set to nullopt are left out.
struct ChzPlan
{
    std::optional<std::string> kuNr = "4711";
    std::optional<std::string> stapelNr = "12";
    std::optional<std::string> datum = "07.03.2013";
    std::optional<std::string> anzRech = "3";
    std::optional<std::string> totalNetto = "1234.56";
};
std::string chzFile(const ChzPlan& sample);

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
