#pragma once
// A PNG file from 8-bit RGB pixels, with nothing but the standard library:
// the image data goes into stored (uncompressed) deflate blocks, which every
// PNG reader accepts.
#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // rows top to bottom, three bytes a pixel
};

std::vector<std::uint8_t> encodePng(const RgbImage& image);
bool writePng(const std::string& path, const RgbImage& image);
