#pragma once

#include <functional>
#include <string>
#include <vector>

namespace bv::tiffpages {

// The page structure of a multi-page TIFF file, kept with libtiff: counting pages and rebuilding a
// file from pages of other files. A page is copied with its compressed strips as they are, so no
// page loses quality and memory stays bounded by one strip whatever the file's size; a page in a
// layout that cannot be copied that way (tiles, JPEG) is handed to `reencode`, which writes it as a
// single-page TIFF that can.

// Number of pages of a regular TIFF file; 0 when it is none or cannot be read.
int pageCount(const std::string& file);

// One page of the file being built: page `page` (from 1) of `file`.
struct PageSource
{
    std::string file;
    int page = 1;
};

// Writes pages into `target` through a temporary file beside it and a rename, so the target is
// either the old file or the whole new one. `reencode(source, singlePageFile)` writes a page that
// cannot be copied as a single-page TIFF; false when that fails too.
bool rebuild(const std::string& target, const std::vector<PageSource>& pages,
             const std::function<bool(const PageSource&, const std::string&)>& reencode);

} // namespace bv::tiffpages
