#include "gfx/image.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// libpng reports errors by longjmp; these wrappers keep every libpng call in a function with
// no C++ objects that need destroying, so the jump skips no destructor.
bool writeRows(std::FILE* file, png_bytep* rows, std::uint32_t width, std::uint32_t height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

struct PngReadResult {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    unsigned char* rgba = nullptr;  // malloc'd, width * height * 4
    png_bytep* rows = nullptr;      // malloc'd, kept here so the error path can free it
};

constexpr png_uint_32 largestImageSide = 16384;

bool readRows(std::FILE* file, PngReadResult* result) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        std::free(result->rows);
        result->rows = nullptr;
        std::free(result->rgba);
        result->rgba = nullptr;
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (width == 0 || height == 0 || width > largestImageSide || height > largestImageSide) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    result->width = width;
    result->height = height;
    result->rgba = static_cast<unsigned char*>(std::malloc(std::size_t{width} * height * 4));
    result->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (result->rgba == nullptr || result->rows == nullptr) {
        png_error(png, "out of memory");
    }
    for (png_uint_32 y = 0; y < height; ++y) {
        result->rows[y] = result->rgba + std::size_t{y} * width * 4;
    }
    png_read_image(png, result->rows);
    std::free(result->rows);
    result->rows = nullptr;
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

}  // namespace

bool writePng(const FrameImage& image, const std::string& path, bool opaque) {
    if (image.width == 0 || image.height == 0 ||
        image.pixels.size() != std::size_t{image.width} * image.height) {
        return false;
    }
    std::vector<unsigned char> rgba(image.pixels.size() * 4);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        const std::uint32_t p = image.pixels[i];
        rgba[i * 4 + 0] = static_cast<unsigned char>(p >> 16);
        rgba[i * 4 + 1] = static_cast<unsigned char>(p >> 8);
        rgba[i * 4 + 2] = static_cast<unsigned char>(p);
        rgba[i * 4 + 3] = opaque ? 0xFF : static_cast<unsigned char>(p >> 24);
    }
    std::vector<png_bytep> rows(image.height);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        rows[y] = rgba.data() + std::size_t{y} * image.width * 4;
    }
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        return false;
    }
    const bool written = writeRows(file.get(), rows.data(), image.width, image.height);
    return std::fclose(file.release()) == 0 && written;
}

bool readPng(const std::string& path, FrameImage* image) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file || image == nullptr) {
        return false;
    }
    PngReadResult result;
    if (!readRows(file.get(), &result)) {
        return false;
    }
    image->width = result.width;
    image->height = result.height;
    image->pixels.resize(std::size_t{result.width} * result.height);
    for (std::size_t i = 0; i < image->pixels.size(); ++i) {
        const unsigned char* p = result.rgba + i * 4;
        image->pixels[i] = (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[0]} << 16) |
                           (std::uint32_t{p[1]} << 8) | p[2];
    }
    std::free(result.rgba);
    return true;
}
