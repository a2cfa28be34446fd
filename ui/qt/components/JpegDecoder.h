#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vespern::ui {

// An image decoded from JPEG data: 8-bit RGB, rows top to bottom without padding.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// Decodes JPEG data with libjpeg. Data that does not decode gives an empty image and the
// library's message in `error`.
RgbImage DecodeJpeg(std::span<const std::uint8_t> data, std::string& error);

} // namespace vespern::ui
