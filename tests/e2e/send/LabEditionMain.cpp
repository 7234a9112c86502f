// bvals_cl as an edition that also sends DDS-RZ files: the end-to-end runs reach the laboratory
// checks of the send dialog, the contents dialog and the receipt dialog where a user would.

#include "billing/SpoolDetection.h"
#include "gui/core/ClientMain.h"

#include <utility>

int main(int argc, char* argv[])
{
    bv::Edition edition = bv::clientEdition();
    edition.transmittedSpoolTypes.push_back(bv::spool_type::Dds);
    return bv::runClient(argc, argv, std::move(edition));
}
