#pragma once

#include <string>

namespace bv {

class CAbrechnungSpool;
class ContractList;
class MessageBoxes;
class ProfileStore;

// The rules that may block a transmission. Each shows its own message and answers whether the
// transmission may go on; the send dialog applies them when it opens and on "Envoyer".

// CheckVersandWaehrung: euro files before FirstEURDate and DM files after LastDEMDate are refused,
// or sent after a warning, or sent silently, as EURVorUmstellung and DEMNachUmstellung say; CHF is
// always sent. `today` is "yyyymmdd". Throws CAdzException -1 for an unknown currency code.
bool currencyRule(int currencyCode, const std::string& today, const ProfileStore& profile, MessageBoxes& boxes);

// A billing file that references attachment files is sent only with its practice-software control
// file.
bool attachmentRule(const CAbrechnungSpool& spool, MessageBoxes& boxes);

// CheckFileSize: the upload file must not be larger than MaxDateiGroesse.
bool fileSizeRule(const std::string& path, const ProfileStore& profile, MessageBoxes& boxes);

// The billing file's customer number must be one of the logged-in user's contracts, where its
// format is addressed by contract. Shows nothing.
bool contractRule(const CAbrechnungSpool& spool, const ContractList& contracts);

} // namespace bv
