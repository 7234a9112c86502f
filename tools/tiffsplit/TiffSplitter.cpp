#include "TiffSplitter.h"

#include "TiffStreams.h"

#include <tiffio.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <type_traits>

namespace bv::tiffsplit {

namespace {

namespace fs = std::filesystem;

// Bytes all pages together may copy, per byte of input (plus a fixed allowance): a page references its
// strips and tag data by offset, so pages could point at the same bytes again and again.
constexpr std::uint64_t CopyBudgetFactor = 4;
constexpr std::uint64_t CopyBudgetAllowance = 1 << 20;

const char* const LogFailure = "Failure";

// Tags whose values are offsets of other directories in the source; copied they would point nowhere.
bool isDirectoryPointer(std::uint32_t tag, TIFFDataType type)
{
    return type == TIFF_IFD || type == TIFF_IFD8 || tag == TIFFTAG_SUBIFD || tag == TIFFTAG_EXIFIFD ||
           tag == TIFFTAG_GPSIFD || tag == TIFFTAG_INTEROPERABILITYIFD;
}

// Tags of the page's layout and of the directory structure that copyLayout() and copySpecialTags()
// handle themselves, and the strip and tile arrays that the writer builds anew.
const std::uint32_t OwnTags[] = {
    TIFFTAG_SUBFILETYPE,    TIFFTAG_IMAGEWIDTH,       TIFFTAG_IMAGELENGTH,         TIFFTAG_IMAGEDEPTH,
    TIFFTAG_BITSPERSAMPLE,  TIFFTAG_SAMPLESPERPIXEL,  TIFFTAG_EXTRASAMPLES,        TIFFTAG_SAMPLEFORMAT,
    TIFFTAG_PLANARCONFIG,   TIFFTAG_COMPRESSION,      TIFFTAG_PHOTOMETRIC,         TIFFTAG_TILEWIDTH,
    TIFFTAG_TILELENGTH,     TIFFTAG_TILEDEPTH,        TIFFTAG_ROWSPERSTRIP,        TIFFTAG_FILLORDER,
    TIFFTAG_THRESHHOLDING,  TIFFTAG_ORIENTATION,      TIFFTAG_MINSAMPLEVALUE,      TIFFTAG_MAXSAMPLEVALUE,
    TIFFTAG_RESOLUTIONUNIT, TIFFTAG_YCBCRPOSITIONING, TIFFTAG_NUMBEROFINKS,        TIFFTAG_XRESOLUTION,
    TIFFTAG_YRESOLUTION,    TIFFTAG_XPOSITION,        TIFFTAG_YPOSITION,           TIFFTAG_PAGENUMBER,
    TIFFTAG_HALFTONEHINTS,  TIFFTAG_YCBCRSUBSAMPLING, TIFFTAG_SMINSAMPLEVALUE,     TIFFTAG_SMAXSAMPLEVALUE,
    TIFFTAG_COLORMAP,       TIFFTAG_TRANSFERFUNCTION, TIFFTAG_REFERENCEBLACKWHITE, TIFFTAG_INKNAMES,
    TIFFTAG_STRIPOFFSETS,   TIFFTAG_STRIPBYTECOUNTS,  TIFFTAG_TILEOFFSETS,         TIFFTAG_TILEBYTECOUNTS,
};

bool isOwnTag(std::uint32_t tag)
{
    return std::find(std::begin(OwnTags), std::end(OwnTags), tag) != std::end(OwnTags);
}

// Tags that the codec of the page keeps (not in the directory's list of custom values).
const std::uint32_t CodecTags[] = {
    TIFFTAG_PREDICTOR,    TIFFTAG_GROUP3OPTIONS,          TIFFTAG_GROUP4OPTIONS, TIFFTAG_BADFAXLINES,
    TIFFTAG_CLEANFAXDATA, TIFFTAG_CONSECUTIVEBADFAXLINES, TIFFTAG_JPEGTABLES,    TIFFTAG_LERC_PARAMETERS,
};

// Copies one page of `in` into `out`, keeping track of the bytes copied against the budget.
class PageCopier
{
public:
    PageCopier(TIFF* in, TIFF* out, std::string_view source, std::uint64_t& budgetLeft, std::deque<std::string>& names)
        : m_in(in), m_out(out), m_source(source), m_budgetLeft(budgetLeft), m_names(names)
    {}

    bool copy(std::string& error)
    {
        std::uint16_t compression = COMPRESSION_NONE;
        TIFFGetField(m_in, TIFFTAG_COMPRESSION, &compression);
        // Old-style JPEG keeps offsets into the source file in its tags; its pages cannot be moved.
        if (compression == COMPRESSION_OJPEG) {
            error = "old-style JPEG pages cannot be copied without recompression";
            return false;
        }
        if (!copyLayout(error) || !copySpecialTags(error))
            return false;
        copyCustomTags();
        for (const std::uint32_t tag : CodecTags) {
            if (const TIFFField* field = TIFFFindField(m_in, tag, TIFF_ANY))
                copyTag(field);
        }
        if (m_overBudget) {
            error = "the pages share their data beyond the size of the file";
            return false;
        }
        return copyData(error) && TIFFWriteDirectory(m_out) == 1;
    }

private:
    bool charge(std::uint64_t bytes)
    {
        if (bytes > m_budgetLeft) {
            m_overBudget = true;
            return false;
        }
        m_budgetLeft -= bytes;
        return true;
    }

    template <typename T> bool copyValue(std::uint32_t tag)
    {
        T value{};
        if (!TIFFGetField(m_in, tag, &value))
            return true;
        if constexpr (std::is_floating_point_v<T>)
            return TIFFSetField(m_out, tag, static_cast<double>(value)) == 1;
        else if constexpr (sizeof(T) < sizeof(int))
            return TIFFSetField(m_out, tag, static_cast<int>(value)) == 1;
        else
            return TIFFSetField(m_out, tag, value) == 1;
    }

    bool copyPair(std::uint32_t tag)
    {
        std::uint16_t first = 0, second = 0;
        if (!TIFFGetField(m_in, tag, &first, &second))
            return true;
        return TIFFSetField(m_out, tag, static_cast<int>(first), static_cast<int>(second)) == 1;
    }

    // The tags that decide how the strips are laid out, in the order the writer needs them.
    bool copyLayout(std::string& error)
    {
        bool ok = copyValue<std::uint32_t>(TIFFTAG_SUBFILETYPE) && copyValue<std::uint32_t>(TIFFTAG_IMAGEWIDTH) &&
                  copyValue<std::uint32_t>(TIFFTAG_IMAGELENGTH) && copyValue<std::uint32_t>(TIFFTAG_IMAGEDEPTH) &&
                  copyValue<std::uint16_t>(TIFFTAG_BITSPERSAMPLE) && copyValue<std::uint16_t>(TIFFTAG_SAMPLESPERPIXEL);
        std::uint16_t extraCount = 0;
        std::uint16_t* extra = nullptr;
        if (ok && TIFFGetField(m_in, TIFFTAG_EXTRASAMPLES, &extraCount, &extra))
            ok = TIFFSetField(m_out, TIFFTAG_EXTRASAMPLES, static_cast<int>(extraCount), extra) == 1;
        ok = ok && copyValue<std::uint16_t>(TIFFTAG_SAMPLEFORMAT) && copyValue<std::uint16_t>(TIFFTAG_PLANARCONFIG) &&
             copyValue<std::uint16_t>(TIFFTAG_COMPRESSION) && copyValue<std::uint16_t>(TIFFTAG_PHOTOMETRIC);
        if (ok && TIFFIsTiled(m_in))
            ok = copyValue<std::uint32_t>(TIFFTAG_TILEWIDTH) && copyValue<std::uint32_t>(TIFFTAG_TILELENGTH) &&
                 copyValue<std::uint32_t>(TIFFTAG_TILEDEPTH);
        else if (ok)
            ok = copyValue<std::uint32_t>(TIFFTAG_ROWSPERSTRIP);
        if (!ok) {
            error = "the page's layout cannot be written";
            return false;
        }
        return true;
    }

    // Single values and the arrays whose size follows from other tags. A value the writer refuses
    // is left out; the page is still a faithful copy of its image data.
    bool copySpecialTags(std::string& error)
    {
        for (const std::uint32_t tag :
             {TIFFTAG_FILLORDER, TIFFTAG_THRESHHOLDING, TIFFTAG_ORIENTATION, TIFFTAG_MINSAMPLEVALUE,
              TIFFTAG_MAXSAMPLEVALUE, TIFFTAG_RESOLUTIONUNIT, TIFFTAG_YCBCRPOSITIONING, TIFFTAG_NUMBEROFINKS})
            copyValue<std::uint16_t>(tag);
        for (const std::uint32_t tag : {TIFFTAG_XRESOLUTION, TIFFTAG_YRESOLUTION, TIFFTAG_XPOSITION, TIFFTAG_YPOSITION})
            copyValue<float>(tag);
        for (const std::uint32_t tag : {TIFFTAG_PAGENUMBER, TIFFTAG_HALFTONEHINTS, TIFFTAG_YCBCRSUBSAMPLING})
            copyPair(tag);
        copySampleRange(TIFFTAG_SMINSAMPLEVALUE);
        copySampleRange(TIFFTAG_SMAXSAMPLEVALUE);
        float* blackWhite = nullptr;
        if (TIFFGetField(m_in, TIFFTAG_REFERENCEBLACKWHITE, &blackWhite))
            TIFFSetField(m_out, TIFFTAG_REFERENCEBLACKWHITE, blackWhite);

        std::uint16_t bits = 1, samples = 1, extraCount = 0;
        std::uint16_t* extra = nullptr;
        TIFFGetFieldDefaulted(m_in, TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetFieldDefaulted(m_in, TIFFTAG_SAMPLESPERPIXEL, &samples);
        TIFFGetFieldDefaulted(m_in, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
        const std::uint64_t tableBytes = bits < 32 ? (std::uint64_t{1} << bits) * sizeof(std::uint16_t) : 0;
        std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (TIFFGetField(m_in, TIFFTAG_COLORMAP, &red, &green, &blue) && charge(3 * tableBytes))
            TIFFSetField(m_out, TIFFTAG_COLORMAP, red, green, blue);
        std::uint16_t* transfer[3] = {nullptr, nullptr, nullptr};
        if (TIFFGetField(m_in, TIFFTAG_TRANSFERFUNCTION, &transfer[0], &transfer[1], &transfer[2])) {
            const int channels = samples - extraCount > 1 ? 3 : 1;
            if (charge(channels * tableBytes))
                TIFFSetField(m_out, TIFFTAG_TRANSFERFUNCTION, transfer[0], transfer[1], transfer[2]);
        }
        copyInkNames(samples);
        if (m_overBudget) {
            error = "the pages share their data beyond the size of the file";
            return false;
        }
        return true;
    }

    // SMinSampleValue and SMaxSampleValue hold one value per sample; read and written as such.
    void copySampleRange(std::uint32_t tag)
    {
        TIFFSetField(m_in, TIFFTAG_PERSAMPLE, PERSAMPLE_MULTI);
        double* values = nullptr;
        const bool present = TIFFGetField(m_in, tag, &values) && values != nullptr;
        TIFFSetField(m_in, TIFFTAG_PERSAMPLE, PERSAMPLE_MERGED);
        if (!present)
            return;
        TIFFSetField(m_out, TIFFTAG_PERSAMPLE, PERSAMPLE_MULTI);
        TIFFSetField(m_out, tag, values);
        TIFFSetField(m_out, TIFFTAG_PERSAMPLE, PERSAMPLE_MERGED);
    }

    // InkNames: NUL-terminated names, one per ink; the library checked on reading that they are there.
    void copyInkNames(std::uint16_t samples)
    {
        char* names = nullptr;
        if (!TIFFGetField(m_in, TIFFTAG_INKNAMES, &names) || names == nullptr)
            return;
        std::uint16_t inks = samples;
        if (std::uint16_t declared = 0; TIFFGetField(m_in, TIFFTAG_NUMBEROFINKS, &declared))
            inks = std::min(inks, declared);
        std::size_t length = 0;
        for (std::uint16_t i = 0; i < inks; ++i)
            length += std::strlen(names + length) + 1;
        if (length > 0 && length <= 0xFFFF && charge(length))
            TIFFSetField(m_out, TIFFTAG_INKNAMES, static_cast<int>(length), names);
    }

    // Every other tag of the directory, known to the library or not, by its own type and count.
    void copyCustomTags()
    {
        const int count = TIFFGetTagListCount(m_in);
        for (int i = 0; i < count; ++i) {
            const std::uint32_t tag = TIFFGetTagListEntry(m_in, i);
            const TIFFField* field = TIFFFindField(m_in, tag, TIFF_ANY);
            if (field == nullptr || isOwnTag(tag) || isDirectoryPointer(tag, TIFFFieldDataType(field)))
                continue;
            if (TIFFFieldIsAnonymous(field) && TIFFFindField(m_out, tag, TIFF_ANY) == nullptr)
                declareAnonymous(field);
            copyTag(field);
        }
    }

    // A private tag the library does not know is declared to the writer as the reader declared it.
    void declareAnonymous(const TIFFField* field)
    {
        m_names.emplace_back(TIFFFieldName(field));
        TIFFFieldInfo info{};
        info.field_tag = TIFFFieldTag(field);
        info.field_readcount = static_cast<short>(TIFFFieldReadCount(field));
        info.field_writecount = static_cast<short>(TIFFFieldWriteCount(field));
        info.field_type = TIFFFieldDataType(field);
        info.field_bit = FIELD_CUSTOM;
        info.field_oktochange = 1;
        info.field_passcount = static_cast<unsigned char>(TIFFFieldPassCount(field));
        info.field_name = m_names.back().data();
        TIFFMergeFieldInfo(m_out, &info, 1);
    }

    // One tag through the library's generic calling convention for its type and count.
    void copyTag(const TIFFField* field)
    {
        const std::uint32_t tag = TIFFFieldTag(field);
        const TIFFDataType type = TIFFFieldDataType(field);
        const int readCount = TIFFFieldReadCount(field);
        const std::uint64_t elementSize = static_cast<std::uint64_t>(std::max(TIFFFieldSetGetSize(field), 1));
        const TIFFField* target = TIFFFindField(m_out, tag, TIFF_ANY);
        if (target == nullptr)
            return;
        if (TIFFFieldPassCount(field)) {
            std::uint32_t count = 0;
            void* value = nullptr;
            if (readCount == TIFF_VARIABLE2) {
                if (!TIFFGetField(m_in, tag, &count, &value))
                    return;
            } else {
                std::uint16_t shortCount = 0;
                if (!TIFFGetField(m_in, tag, &shortCount, &value))
                    return;
                count = shortCount;
            }
            if (value == nullptr || !charge(count * elementSize))
                return;
            if (TIFFFieldWriteCount(target) == TIFF_VARIABLE2 || type == TIFF_ASCII)
                TIFFSetField(m_out, tag, count, value);
            else
                TIFFSetField(m_out, tag, static_cast<int>(count), value);
            return;
        }
        if (tag == TIFFTAG_DOTRANGE) {
            copyPair(tag);
            return;
        }
        if (type == TIFF_ASCII || readCount == TIFF_VARIABLE || readCount == TIFF_VARIABLE2 || readCount == TIFF_SPP ||
            readCount > 1) {
            void* value = nullptr;
            if (!TIFFGetField(m_in, tag, &value) || value == nullptr)
                return;
            std::uint64_t bytes = elementSize;
            if (type == TIFF_ASCII)
                bytes = std::strlen(static_cast<const char*>(value)) + 1;
            else if (readCount > 1)
                bytes = elementSize * static_cast<std::uint64_t>(readCount);
            if (charge(bytes))
                TIFFSetField(m_out, tag, value);
            return;
        }
        copySingle(tag, type, elementSize);
    }

    void copySingle(std::uint32_t tag, TIFFDataType type, std::uint64_t elementSize)
    {
        switch (type) {
        case TIFF_BYTE:
        case TIFF_UNDEFINED:
            copyValue<std::uint8_t>(tag);
            break;
        case TIFF_SBYTE:
            copyValue<std::int8_t>(tag);
            break;
        case TIFF_SHORT:
            copyValue<std::uint16_t>(tag);
            break;
        case TIFF_SSHORT:
            copyValue<std::int16_t>(tag);
            break;
        case TIFF_LONG:
            copyValue<std::uint32_t>(tag);
            break;
        case TIFF_SLONG:
            copyValue<std::int32_t>(tag);
            break;
        case TIFF_LONG8:
            copyValue<std::uint64_t>(tag);
            break;
        case TIFF_SLONG8:
            copyValue<std::int64_t>(tag);
            break;
        case TIFF_RATIONAL:
        case TIFF_SRATIONAL:
            if (elementSize == 8)
                copyValue<double>(tag);
            else
                copyValue<float>(tag);
            break;
        case TIFF_FLOAT:
            copyValue<float>(tag);
            break;
        case TIFF_DOUBLE:
            copyValue<double>(tag);
            break;
        default:
            break;
        }
    }

    // The compressed strips or tiles, straight from the source's bytes to the page.
    bool copyData(std::string& error)
    {
        const bool tiled = TIFFIsTiled(m_in) != 0;
        const std::uint32_t count = tiled ? TIFFNumberOfTiles(m_in) : TIFFNumberOfStrips(m_in);
        const std::uint32_t written = tiled ? TIFFNumberOfTiles(m_out) : TIFFNumberOfStrips(m_out);
        // Every strip has an entry of at least two bytes in the file; more strips than that is a lie
        // of the image dimensions that would make the page longer than any file.
        if (count != written || count > m_source.size() / 2 + 1) {
            error = "the page's strips do not match its dimensions";
            return false;
        }
        for (std::uint32_t strip = 0; strip < count; ++strip) {
            int failed = 0;
            const std::uint64_t offset = TIFFGetStrileOffsetWithErr(m_in, strip, &failed);
            const std::uint64_t bytes = TIFFGetStrileByteCountWithErr(m_in, strip, &failed);
            if (failed || offset > m_source.size() || bytes > m_source.size() - offset) {
                error = "strip " + std::to_string(strip) + " lies outside the file";
                return false;
            }
            if (bytes == 0)
                continue;
            if (!charge(bytes)) {
                error = "the pages share their data beyond the size of the file";
                return false;
            }
            // The writer only reads from the buffer it is given.
            void* data = const_cast<char*>(m_source.data() + offset);
            const auto size = static_cast<tmsize_t>(bytes);
            const tmsize_t done =
                tiled ? TIFFWriteRawTile(m_out, strip, data, size) : TIFFWriteRawStrip(m_out, strip, data, size);
            if (done != size) {
                error = "strip " + std::to_string(strip) + " cannot be written";
                return false;
            }
        }
        return true;
    }

    TIFF* m_in;
    TIFF* m_out;
    std::string_view m_source;
    std::uint64_t& m_budgetLeft;
    std::deque<std::string>& m_names;
    bool m_overBudget = false;
};

// The output mode that keeps the source's byte order and flavour.
std::string writeMode(TIFF* in)
{
    std::string mode = "w";
    mode += TIFFIsBigEndian(in) ? 'b' : 'l';
    if (TIFFIsBigTIFF(in))
        mode += '8';
    return mode;
}

std::string withFailure(const std::string& reason, const LibraryErrors& errors)
{
    return errors.first.empty() ? reason : reason + " (" + errors.first + ")";
}

} // namespace

std::optional<Command> parseCommandLine(const std::vector<std::string>& args, std::string& error)
{
    Command command;
    std::vector<std::string> paths;
    bool format = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string upper = arg;
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (upper == "/L") {
            if (i + 1 >= args.size()) {
                error = "/L needs the path of the log file";
                return std::nullopt;
            }
            command.logPath = args[++i];
        } else if (upper == "/F17") {
            format = true;
        } else if (upper == "/NOUI" || upper == "/EM") {
            // Always without a window.
        } else if (upper.size() > 1 && upper[0] == '/' && upper[1] == 'F') {
            error = "output format " + arg.substr(2) + " is not supported (only /F17, TIFF)";
            return std::nullopt;
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2) {
        error = "usage: <source> <target directory> /F17 /L <log file> /NOUI /EM";
        return std::nullopt;
    }
    (void)format;
    command.source = paths[0];
    command.targetDirectory = paths[1];
    return command;
}

std::string pageFileName(std::string_view sourcePath, int page)
{
    std::string base = fs::path(std::string(sourcePath)).stem().string();
    char number[16];
    std::snprintf(number, sizeof number, "%02d", page);
    return base + "_Page" + number + ".tif";
}

SplitResult splitTiff(std::string_view data, const PageSink& sink)
{
    SplitResult result;
    LibraryErrors errors;
    OpenOptions options(errors, std::max<std::uint64_t>(8 * data.size(), 16u << 20));
    InputStream input{data, 0};
    TiffHandle in(openInput(input, options));
    if (!in) {
        result.error = withFailure("not a TIFF file", errors);
        return result;
    }
    std::uint64_t budgetLeft = CopyBudgetFactor * data.size() + CopyBudgetAllowance;
    std::deque<std::string> names;
    const std::string mode = writeMode(in.get());
    for (int page = 1;; ++page) {
        OutputStream output;
        output.bytes.reserve(std::min<std::size_t>(data.size(), 64u << 20) + 4096);
        std::string error;
        {
            TiffHandle out(openOutput(output, mode, options));
            if (!out) {
                result.error = withFailure("page " + std::to_string(page) + " cannot be made", errors);
                return result;
            }
            PageCopier copier(in.get(), out.get(), data, budgetLeft, names);
            if (!copier.copy(error)) {
                result.error = withFailure(
                    "page " + std::to_string(page) + ": " + (error.empty() ? "cannot be written" : error), errors);
                return result;
            }
        }
        if (!sink(page, output.bytes, error)) {
            result.error = error;
            return result;
        }
        result.pages = page;
        if (TIFFLastDirectory(in.get()))
            break;
        if (!TIFFReadDirectory(in.get())) {
            result.error = withFailure("the directory of page " + std::to_string(page + 1) + " cannot be read", errors);
            return result;
        }
    }
    result.ok = true;
    return result;
}

SplitResult splitFile(const std::string& source, const std::string& targetDirectory)
{
    SplitResult result;
    MappedFile mapped(source);
    if (!mapped.ok()) {
        result.error = "cannot read " + source + ": " + std::strerror(mapped.error());
        return result;
    }
    std::vector<fs::path> written;
    result = splitTiff(mapped.bytes(), [&](int page, std::string_view bytes, std::string& error) {
        const fs::path target = fs::path(targetDirectory) / pageFileName(source, page);
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        written.push_back(target);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            error = "cannot write " + target.string();
            return false;
        }
        return true;
    });
    if (!result.ok) {
        std::error_code ignored;
        for (const fs::path& file : written)
            fs::remove(file, ignored);
    }
    return result;
}

int runSplitter(const std::vector<std::string>& args)
{
    std::string error;
    const auto command = parseCommandLine(args, error);
    SplitResult result;
    if (command)
        result = splitFile(command->source, command->targetDirectory);
    else
        result.error = error;
    std::string log;
    if (result.ok)
        log = "bvtiffsplit: " + std::to_string(result.pages) + " page(s) written\r\n";
    else
        log = std::string(LogFailure) + ": " + result.error + "\r\n";
    bool logWritten = false;
    if (command && !command->logPath.empty()) {
        std::ofstream out(command->logPath, std::ios::binary | std::ios::trunc);
        out << log;
        out.close();
        logWritten = static_cast<bool>(out);
    }
    if (!result.ok || !logWritten)
        std::fputs(log.c_str(), stderr);
    if (command && !logWritten)
        std::fprintf(stderr, "Failure: cannot write the log %s\n", command->logPath.c_str());
    return result.ok && logWritten ? 0 : 1;
}

} // namespace bv::tiffsplit
