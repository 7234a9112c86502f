#include "app/send/SendRules.h"

#include "app/core/AppInfo.h"
#include "app/send/SendTexts.h"
#include "billing/AdzCodes.h"
#include "billing/CAbrechnungSpool.h"
#include "billing/CAdzException.h"
#include "billing/FormatFacts.h"
#include "config/ProfileStore.h"
#include "config/ProfileKeys.h"
#include "net/ContractList.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <filesystem>
#include <system_error>

namespace bv {

bool currencyRule(int currencyCode, const std::string& today, const ProfileStore& profile, MessageBoxes& boxes)
{
    const char* warning = nullptr;
    const char* refusal = nullptr;
    int mode = 0;
    switch (currencyCode) {
    case currency::EUR:
        // Dates are eight digits, so comparing them as text compares them as days.
        if (profile.read(profilekey::FirstEURDate) <= today)
            return true;
        mode = profile.readInt(profilekey::EURVorUmstellung);
        warning = sendtext::EuroWarn;
        refusal = sendtext::EuroRefuse;
        break;
    case currency::DM:
        if (profile.read(profilekey::LastDEMDate) >= today)
            return true;
        mode = profile.readInt(profilekey::DEMNachUmstellung);
        warning = sendtext::DmWarn;
        refusal = sendtext::DmRefuse;
        break;
    case currency::CHF:
        return true;
    default:
        throw BV_ADZ_ERROR(adz::Structural, sendtext::UnknownCurrency);
    }
    if (mode == 1) {
        boxes.show(warning, sendtext::Caption, MbIcon::Warning);
        return true;
    }
    if (mode == 2)
        return true;
    boxes.show(refusal, sendtext::Caption, MbIcon::Error);
    return false;
}

bool attachmentRule(const CAbrechnungSpool& spool, MessageBoxes& boxes)
{
    CAbrechnungsDatei* file = spool.billingFile();
    const int attachments = file ? file->GetAttachmentCount(0) : -1;
    if (attachments < 1 || spool.HasControlFile() != 0)
        return true;
    boxes.show(strFormat(sendtext::AttachmentsWithoutControlFile, file->GetFilePath(false).c_str(), attachments),
               sendtext::Caption, MbIcon::Error);
    return false;
}

bool fileSizeRule(const std::string& path, const ProfileStore& profile, MessageBoxes& boxes)
{
    const long long limit = decimalValue(profile.read(profilekey::MaxDateiGroesse));
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    const std::uint64_t bytes = ec ? 0 : static_cast<std::uint64_t>(size);
    if (static_cast<long long>(bytes) <= limit)
        return true;
    boxes.show(strFormat(sendtext::FileTooLarge, path.c_str(), appinfo::AppTitle, static_cast<int>(bytes / 1000000),
                         static_cast<int>(limit / 1000000)),
               sendtext::Caption, MbIcon::Error);
    return false;
}

bool contractRule(const CAbrechnungSpool& spool, const ContractList& contracts)
{
    const CAbrechnungsDatei* file = spool.billingFile();
    if (!spool.facts().contractChecked)
        return true;
    return file && contracts.contains(std::to_string(file->GetCustomerNumber()));
}

} // namespace bv
