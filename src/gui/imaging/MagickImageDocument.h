#pragma once

#include "app/receipt/ImageDocument.h"

#include <memory>

namespace Magick {
class Image;
}

namespace bv {

// The receipt's image document with ImageMagick: the bitmap is one Magick++ image; pages are read
// and written through ImageMagick's TIFF coder only (no other format is ever guessed from a file's
// content), and the file's page structure is rebuilt with libtiff (see TiffPages.h), so that adding
// or removing a page never decodes the other pages.
class MagickImageDocument : public ImageDocument
{
public:
    MagickImageDocument();
    ~MagickImageDocument() override;

    bool loadPage(const std::string& file, int page) override;
    int pageCount(const std::string& file) override;
    bool savePage(const std::string& file, SaveMode mode, int page) override;
    bool deletePage(const std::string& file, int page) override;

    void takeOver(PageImage page) override;
    bool hasBitmap() const override;
    void freeBitmap() override;

    bool rotateRight() override;
    bool reduceColours(int bitsPerPixel) override;
    bool medianFilter() override;

    PageImage displayImage() const override;

private:
    bool writeSingle(const std::string& file) const;

    std::unique_ptr<Magick::Image> m_bitmap;
};

} // namespace bv
