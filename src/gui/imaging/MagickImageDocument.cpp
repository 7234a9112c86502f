#include "gui/imaging/MagickImageDocument.h"

#include "gui/imaging/TiffPages.h"

#include <Magick++.h>

#include <cstdio>
#include <mutex>

namespace bv {

namespace {

void initialiseMagick()
{
    static std::once_flag once;
    std::call_once(once, [] { Magick::InitializeMagick(nullptr); });
}

// Only the TIFF coder reads and writes: a file's content never chooses another one.
std::string tiffName(const std::string& file)
{
    return "TIFF:" + file;
}

bool readPage(Magick::Image& image, const std::string& file, int page)
{
    if (page < 1)
        return false;
    try {
        image.quiet(true);
        // The scene in brackets: ImageMagick's TIFF coder skips the pages before it without decoding them.
        image.read(tiffName(file) + "[" + std::to_string(page - 1) + "]");
        return image.isValid() && image.columns() > 0 && image.rows() > 0;
    } catch (const Magick::Exception&) {
        return false;
    }
}

} // namespace

MagickImageDocument::MagickImageDocument()
{
    initialiseMagick();
}

MagickImageDocument::~MagickImageDocument() = default;

bool MagickImageDocument::loadPage(const std::string& file, int page)
{
    if (page < 1 || page > tiffpages::pageCount(file))
        return false;
    auto image = std::make_unique<Magick::Image>();
    if (!readPage(*image, file, page))
        return false;
    m_bitmap = std::move(image);
    return true;
}

int MagickImageDocument::pageCount(const std::string& file)
{
    return tiffpages::pageCount(file);
}

bool MagickImageDocument::writeSingle(const std::string& file) const
{
    if (!m_bitmap)
        return false;
    try {
        Magick::Image page = *m_bitmap;
        page.quiet(true);
        page.magick("TIFF");
        // Black and white pages are kept as fax images, every other page losslessly packed.
        page.compressType(page.type() == Magick::BilevelType ? Magick::Group4Compression : Magick::LZWCompression);
        page.write(tiffName(file));
        return true;
    } catch (const Magick::Exception&) {
        std::remove(file.c_str());
        return false;
    }
}

bool MagickImageDocument::savePage(const std::string& file, SaveMode mode, int page)
{
    if (!m_bitmap)
        return false;
    const std::string fresh = file + ".new";
    if (!writeSingle(fresh))
        return false;
    const int count = mode == SaveMode::Overwrite ? 0 : tiffpages::pageCount(file);
    std::vector<tiffpages::PageSource> pages;
    const tiffpages::PageSource added{fresh, 1};
    if (mode != SaveMode::Overwrite && count < 1) {
        std::remove(fresh.c_str());
        return false;
    }
    if ((mode == SaveMode::Replace || mode == SaveMode::Insert) && (page < 1 || page > count)) {
        std::remove(fresh.c_str());
        return false;
    }
    for (int p = 1; p <= count; ++p) {
        if (p == page && mode == SaveMode::Insert)
            pages.push_back(added);
        pages.push_back(p == page && mode == SaveMode::Replace ? added : tiffpages::PageSource{file, p});
    }
    if (mode == SaveMode::Append || mode == SaveMode::Overwrite)
        pages.push_back(added);
    const bool ok = tiffpages::rebuild(file, pages, [](const tiffpages::PageSource& source, const std::string& out) {
        Magick::Image image;
        if (!readPage(image, source.file, source.page))
            return false;
        try {
            image.magick("TIFF");
            image.compressType(Magick::LZWCompression);
            image.write(tiffName(out));
            return true;
        } catch (const Magick::Exception&) {
            return false;
        }
    });
    std::remove(fresh.c_str());
    return ok;
}

bool MagickImageDocument::deletePage(const std::string& file, int page)
{
    const int count = tiffpages::pageCount(file);
    if (page < 1 || page > count || count < 2)
        return false;
    std::vector<tiffpages::PageSource> pages;
    for (int p = 1; p <= count; ++p) {
        if (p != page)
            pages.push_back({file, p});
    }
    return tiffpages::rebuild(file, pages, [](const tiffpages::PageSource& source, const std::string& out) {
        Magick::Image image;
        if (!readPage(image, source.file, source.page))
            return false;
        try {
            image.compressType(Magick::LZWCompression);
            image.write(tiffName(out));
            return true;
        } catch (const Magick::Exception&) {
            return false;
        }
    });
}

void MagickImageDocument::takeOver(PageImage page)
{
    if (page.empty() || (page.channels != 1 && page.channels != 3) ||
        page.pixels.size() < static_cast<std::size_t>(page.width) * page.height * page.channels) {
        m_bitmap.reset();
        return;
    }
    try {
        auto image = std::make_unique<Magick::Image>(page.width, page.height, page.channels == 1 ? "I" : "RGB",
                                                     Magick::CharPixel, page.pixels.data());
        if (page.xDpi > 0 && page.yDpi > 0) {
            image->resolutionUnits(Magick::PixelsPerInchResolution);
            image->density(
                Magick::Geometry(static_cast<std::size_t>(page.xDpi + 0.5), static_cast<std::size_t>(page.yDpi + 0.5)));
        }
        if (page.channels == 1)
            image->type(Magick::GrayscaleType);
        m_bitmap = std::move(image);
    } catch (const Magick::Exception&) {
        m_bitmap.reset();
    }
}

bool MagickImageDocument::hasBitmap() const
{
    return m_bitmap != nullptr;
}

void MagickImageDocument::freeBitmap()
{
    m_bitmap.reset();
}

bool MagickImageDocument::rotateRight()
{
    if (!m_bitmap)
        return false;
    try {
        Magick::Image turned = *m_bitmap;
        // The corners a turn uncovers take the colour of the workspace behind a page.
        turned.backgroundColor(Magick::Color("#ababab"));
        turned.rotate(90);
        *m_bitmap = turned;
        return true;
    } catch (const Magick::Exception&) {
        return false;
    }
}

bool MagickImageDocument::reduceColours(int bitsPerPixel)
{
    if (!m_bitmap || bitsPerPixel < 1 || bitsPerPixel > 24)
        return false;
    try {
        Magick::Image reduced = *m_bitmap;
        if (bitsPerPixel > 8) {
            reduced.depth(8); // true colour: 8 bits a channel
        } else {
            const bool grey = reduced.type() == Magick::GrayscaleType || bitsPerPixel == 1;
            if (grey)
                reduced.quantizeColorSpace(Magick::GRAYColorspace);
            reduced.quantizeColors(std::size_t{1} << bitsPerPixel);
            reduced.quantizeDither(true);
            reduced.quantizeDitherMethod(Magick::FloydSteinbergDitherMethod);
            reduced.quantize();
            if (bitsPerPixel == 1)
                reduced.type(Magick::BilevelType);
        }
        *m_bitmap = reduced;
        return true;
    } catch (const Magick::Exception&) {
        return false;
    }
}

bool MagickImageDocument::medianFilter()
{
    if (!m_bitmap)
        return false;
    try {
        Magick::Image filtered = *m_bitmap;
        filtered.medianFilter(3.0); // Magick++ 6 takes the window's width: the 3x3 neighbourhood
        *m_bitmap = filtered;
        return true;
    } catch (const Magick::Exception&) {
        return false;
    }
}

PageImage MagickImageDocument::displayImage() const
{
    PageImage page;
    if (!m_bitmap)
        return page;
    try {
        page.width = static_cast<int>(m_bitmap->columns());
        page.height = static_cast<int>(m_bitmap->rows());
        page.channels = 3;
        page.pixels.resize(static_cast<std::size_t>(page.width) * page.height * 3);
        m_bitmap->write(0, 0, m_bitmap->columns(), m_bitmap->rows(), "RGB", Magick::CharPixel, page.pixels.data());
        const Magick::Geometry density = m_bitmap->density();
        page.xDpi = density.width();
        page.yDpi = density.height();
    } catch (const Magick::Exception&) {
        return {};
    }
    return page;
}

} // namespace bv
