#pragma once

#include "app/send/SendDialogView.h"
#include "billing/FormatFacts.h"

#include <string>
#include <vector>

namespace bv {

class CAbrechnungSpool;

// One field of the send dialog; a field without a label keeps the one it has.
struct SendFieldRow
{
    SendField field;
    std::string label;
    std::string text;
};

// What the send dialog shows of a spool: its fields top to bottom, whether the last batch is shown
// (not before a customer's first transmission) and how the file-contents button is drawn.
struct SpoolFields
{
    std::vector<SendFieldRow> rows;
    bool lastBatchShown = true;
    ContentsButton contentsButton = ContentsButton::AsDrawn;
};

// The fields of a spool whose file waits to be sent; `amountSuffix` is the configured text shown
// after the amount.
SpoolFields spoolFields(CAbrechnungSpool& spool, const std::string& amountSuffix);

} // namespace bv
