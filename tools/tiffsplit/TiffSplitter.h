#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bv::tiffsplit {

// The command line that attachment extraction starts the splitter with:
//   <source> <target directory> /F17 /L <log file> /NOUI /EM
// /F17 names the output format (single-page TIFF), /L the log, /NOUI and /EM ask for a run without
// any window; the options may come in any order after the two paths.
struct Command
{
    std::string source;
    std::string targetDirectory;
    std::string logPath;
};
// The command, or nullopt with the reason in `error`.
std::optional<Command> parseCommandLine(const std::vector<std::string>& args, std::string& error);

// "<base>_PageNN.tif": the source's name without its extension and the page number, counted from 1,
// with at least two digits, which is how extraction finds the pages ("_Page??") and numbers them.
std::string pageFileName(std::string_view sourcePath, int page);

// Outcome of splitting one file: pages written, or the reason it failed.
struct SplitResult
{
    bool ok = false;
    int pages = 0;
    std::string error;
};

// Receives each page as a complete single-page TIFF file; false stops the split as failed.
using PageSink = std::function<bool(int page, std::string_view bytes, std::string& error)>;

// Copies every page of the TIFF held in `data` into a TIFF of its own: each page's compressed strips
// or tiles are copied as they are (no decoding) with the page's tags, byte order and TIFF flavour
// (classic or BigTIFF). Time and memory stay linear in the input: the bytes copied for all pages
// together may not exceed a small multiple of the input size, which only pages that share their
// data could reach.
SplitResult splitTiff(std::string_view data, const PageSink& sink);

// Splits a file into `targetDirectory`, one page file per page (pageFileName). When it fails, the
// page files it wrote are removed again.
SplitResult splitFile(const std::string& source, const std::string& targetDirectory);

// The whole program: parses the arguments, splits, writes the log (it holds "Failure" and the
// reason when the split fails) and returns the exit status (0 on success).
int runSplitter(const std::vector<std::string>& args);

} // namespace bv::tiffsplit
