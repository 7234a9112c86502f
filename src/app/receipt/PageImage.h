#pragma once

#include <cstdint>
#include <vector>

namespace bv {

// One page as pixels, toolkit-free: what a scanner delivers and what the view draws. Rows run from
// top to bottom, each `width * channels` bytes of 8-bit samples (1 channel grey, 3 channels RGB).
struct PageImage
{
    int width = 0;
    int height = 0;
    int channels = 3;
    double xDpi = 0;
    double yDpi = 0;
    std::vector<std::uint8_t> pixels;

    bool empty() const { return width <= 0 || height <= 0 || pixels.empty(); }
};

} // namespace bv
