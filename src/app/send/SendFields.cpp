#include "app/send/SendFields.h"

#include "app/send/SendFormatting.h"
#include "app/send/SendTexts.h"
#include "billing/CAbrechnungSpool.h"
#include "platform/Text.h"

#include <filesystem>
#include <system_error>

namespace bv {

namespace {

std::uint64_t sizeOf(const std::string& path)
{
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<std::uint64_t>(size);
}

SendFieldRow customerRow(const CAbrechnungSpool& spool, const FormatFacts& facts)
{
    const CAbrechnungsDatei* file = spool.billingFile();
    if (facts.customer == CustomerShown::Name)
        return {SendField::Customer, sendtext::CustomerLabel, file ? file->GetCustomerName() : std::string()};
    const std::string customer = file ? file->GetCustomerNumberText() : std::string();
    const int batch = spool.GetBatchNumber();
    if (batch >= 0)
        return {SendField::Customer, sendtext::CustomerBatchLabel,
                strFormat(sendtext::CustomerBatchFormat, customer.c_str(), batch)};
    return {SendField::Customer, sendtext::CustomerLabel, customer};
}

} // namespace

SpoolFields spoolFields(CAbrechnungSpool& spool, const std::string& amountSuffix)
{
    const CAbrechnungsDatei* file = spool.billingFile();
    const FormatFacts& facts = spool.facts();
    const int lastBatch = spool.GetLastBatchNumber();
    const std::uint64_t size = sizeOf(spool.uploadFile());

    SpoolFields fields;
    fields.rows = {
        {SendField::InvoiceCount, sendtext::InvoiceCountLabel, std::to_string(spool.invoiceCount())},
        {SendField::Amount, sendtext::AmountLabel,
         amountText(spool.totalAmount(), file ? file->CurrencyName() : std::string(), amountSuffix)},
        {SendField::FileDate, sendtext::FileDateLabel, spool.GetFileDateText()},
        customerRow(spool, facts),
        {SendField::LastBatch,
         facts.lastBatch == LastBatchShown::PackagesSent ? sendtext::LastBatchLabelCha : sendtext::LastBatchLabel,
         std::to_string(lastBatch)},
        {SendField::LastSend, sendtext::LastSendLabel, spool.LastSendText()},
        {SendField::TransferTime, sendtext::TransferTimeLabel, transferTimeText(size)},
        {SendField::FileSize, {}, fileSizeText(size)},
    };
    fields.lastBatchShown = lastBatch != -1;
    fields.contentsButton = facts.contentsButton;
    return fields;
}

} // namespace bv
