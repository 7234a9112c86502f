#pragma once

#include <vector>

namespace bv {

// Which spool types a build of the client transmits. The client of this edition sends what the
// spool table marks as transmitted; the tests build an edition that also sends the fixed-record
// formats, so that their laboratory checks run where they belong, in the send dialog.
struct Edition
{
    std::vector<int> transmittedSpoolTypes;

    bool transmits(int spoolType) const;
};

// This edition: the spool types whose row in the spool table says they are transmitted.
Edition clientEdition();

} // namespace bv
