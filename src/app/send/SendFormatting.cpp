#include "app/send/SendFormatting.h"

#include "app/send/SendTexts.h"
#include "billing/CAbrechnungsDatei.h"
#include "platform/Text.h"

namespace bv {

namespace {

// The line speed the estimate assumes, and the time of connecting and checking.
constexpr std::uint64_t BytesPerSecond = 7500;
constexpr std::uint64_t SetupSeconds = 30;

} // namespace

std::uint64_t kilobytes(std::uint64_t bytes)
{
    return bytes / 1024 + 1;
}

std::string transferTimeText(std::uint64_t bytes)
{
    const std::uint64_t seconds = bytes / BytesPerSecond + SetupSeconds;
    const long minutes = static_cast<long>(seconds / 60);
    const long quarter = static_cast<long>(seconds % 60 / 15 * 15);
    const long kb = static_cast<long>(kilobytes(bytes));
    if (quarter != 0)
        return strFormat(sendtext::TransferTimeWithSeconds, minutes, quarter, kb);
    return strFormat(sendtext::TransferTimeMinutes, minutes, kb);
}

std::string fileSizeText(std::uint64_t bytes)
{
    return strFormat(sendtext::FileSizeFormat, static_cast<long>(kilobytes(bytes)));
}

std::string amountText(long long cents, const std::string& currencyName, const std::string& suffix)
{
    const std::string extra = suffix.empty() ? std::string() : strFormat(sendtext::AmountSuffixFormat, suffix.c_str());
    return strFormat(sendtext::AmountFormat, FormatAmount(cents, ',', '.').c_str(), currencyName.c_str(),
                     extra.c_str());
}

} // namespace bv
