#pragma once

#include "billing/formats/records/InvoiceObject.h"

#include <array>

namespace bv {

struct DdsAttachment;

// One invoice of a DDS-RZ file: from its 0100 record up to the next invoice's 0100 record (the last
// one up to the control record), with the amount of its 0200 record and its attachments.
class DDSrzRechnung : public InvoiceObject
{
public:
    static constexpr int MaxAttachments = 25;

    int attachmentCount = 0;  // its 0850 records
    int boundAttachments = 0; // entries of the file's attachment list bound to it
    std::array<const DdsAttachment*, MaxAttachments> attachments{};
};

} // namespace bv
