// bvals_cl: the desktop client of this edition.

#include "gui/core/ClientMain.h"

int main(int argc, char* argv[])
{
    return bv::runClient(argc, argv, bv::clientEdition());
}
