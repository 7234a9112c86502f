#pragma once

#include "billing/attachments/AttachmentEntry.h"

#include <string>
#include <string_view>
#include <vector>

namespace bv {

class InvoiceObject;

// The keywords by which a material or laboratory cost position is recognised as a laboratory
// service of the practice's own laboratory or of an external one, each normalised.
struct LabKeywords
{
    std::vector<std::string> own;
    std::vector<std::string> external;
};

// A position text or keyword as it is compared: lower case, without blanks, ".", "-" and "/".
// Takes and gives UTF-8; the capitals of Latin-1 are lowered too.
std::string normaliseLabText(std::string_view text);
// A keyword list as configured: split at ";", each keyword normalised. A keyword that is empty after
// normalising is dropped: it would occur in every text and make every position a laboratory service.
std::vector<std::string> splitLabKeywords(std::string_view list);

// The laboratory services of an invoice, in record and position order: each position of its material
// and laboratory cost records (500: four positions, 510: one) whose marker is not "-" and whose text
// holds a keyword. `defaultKind` 'F' searches the external keywords, 'E' the own ones, 'A' both, the
// external ones first.
std::vector<LabService> findLabServices(const InvoiceObject& invoice, const LabKeywords& keywords, char defaultKind);

} // namespace bv
