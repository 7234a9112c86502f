// bvtiffsplit: the splitter of multi-page TIFF attachments that attachment extraction starts.

#include "TiffSplitter.h"

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    return bv::tiffsplit::runSplitter(std::vector<std::string>(argv + 1, argv + argc));
}
