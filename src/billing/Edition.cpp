#include "billing/Edition.h"

#include "billing/SpoolFactory.h"

#include <algorithm>

namespace bv {

bool Edition::transmits(int spoolType) const
{
    return std::find(transmittedSpoolTypes.begin(), transmittedSpoolTypes.end(), spoolType) !=
           transmittedSpoolTypes.end();
}

Edition clientEdition()
{
    Edition edition;
    for (const SpoolTypeRow& row : spoolTypeRows()) {
        if (row.transmitted)
            edition.transmittedSpoolTypes.push_back(row.spoolType);
    }
    return edition;
}

} // namespace bv
