#pragma once

#include "app/receipt/PageImage.h"

#include <string>

namespace bv {

// Where a page is saved in a multi-page TIFF file.
enum class SaveMode
{
    Overwrite, // the file becomes this one page
    Append,    // after the last page
    Replace,   // in place of the given page
    Insert     // before the given page
};

// The receipt's imaging: one page held in memory (the bitmap) and the operations on the multi-page
// TIFF working copy. Pages are counted from 1. Every operation reports failure and then leaves the
// bitmap and the file as they were.
class ImageDocument
{
public:
    virtual ~ImageDocument() = default;

    virtual bool loadPage(const std::string& file, int page) = 0;
    // Number of pages; 0 when the file cannot be read.
    virtual int pageCount(const std::string& file) = 0;
    virtual bool savePage(const std::string& file, SaveMode mode, int page) = 0;
    virtual bool deletePage(const std::string& file, int page) = 0;

    // A scanned page becomes the bitmap.
    virtual void takeOver(PageImage page) = 0;
    virtual bool hasBitmap() const = 0;
    virtual void freeBitmap() = 0;

    // Turns the bitmap by 90 degrees to the right.
    virtual bool rotateRight() = 0;
    // Reduces the bitmap to `bitsPerPixel` (1 to 24) with dithering.
    virtual bool reduceColours(int bitsPerPixel) = 0;
    // 3x3 median filter against the specks of a scan.
    virtual bool medianFilter() = 0;

    // The bitmap for the screen: 8-bit RGB or grey.
    virtual PageImage displayImage() const = 0;
};

} // namespace bv
