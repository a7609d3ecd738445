// A frame in memory, for screenshots and pixel tests, and its PNG writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Pixels as 0xAARRGGBB, row 0 at the top, width pixels per row.
struct FrameImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> pixels;

    // The pixel at column x, row y (both inside the image).
    std::uint32_t at(std::uint32_t x, std::uint32_t y) const { return pixels[y * width + x]; }
};

// Writes the image as an 8-bit RGBA PNG file; alpha is written as stored unless opaque is set,
// which writes every pixel fully opaque (screenshots). False on any failure; never throws.
bool writePng(const FrameImage& image, const std::string& path, bool opaque = true);

// Reads an 8-bit RGB or RGBA PNG file written by writePng; false on any failure.
bool readPng(const std::string& path, FrameImage* image);
