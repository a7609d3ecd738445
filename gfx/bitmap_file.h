// Bitmap files for the texture loader: what their headers declare, and our own decoding of the
// pixels that carry their colours in bit fields (16 and 32 bits a pixel), which SDL's reader
// does not decode in every layout the format allows. Inside gfx/ only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "gfx/image.h"
#include "gfx/types.h"

constexpr std::uint32_t kBitmapUncompressed = 0;
constexpr std::uint32_t kBitmapBitFields = 3;
constexpr std::uint32_t kBitmapAlphaBitFields = 6;

// The most bytes from the file's start that the headers and the masks after them take.
constexpr std::size_t kBitmapHeadBytes = 14 + 124 + 16;

enum BitmapChannel { kRedMask, kGreenMask, kBlueMask, kAlphaMask, kBitmapChannels };

// What a bitmap's headers declare, before any pixel is decoded.
struct BitmapHeader {
    std::int64_t width = 0;
    std::int64_t height = 0;  // rows, whichever way they run
    bool topDown = false;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t compression = kBitmapUncompressed;
    std::uint32_t pixelOffset = 0;
    // Where each channel lies in a 16- or 32-bit pixel: the file's own masks with bit fields,
    // the format's fixed ones for uncompressed pixels (5-5-5 and 8-8-8, without alpha: the
    // top bits are unused). An alpha mask of 0 means opaque.
    std::uint32_t masks[kBitmapChannels] = {};
};

// The headers at the start of a file (its first kBitmapHeadBytes bytes, or all of a shorter
// file); nothing when they are no bitmap's or are cut short.
std::optional<BitmapHeader> readBitmapHeader(std::span<const std::uint8_t> head);

// Whether decodeBitFieldBitmap reads these pixels: 16 or 32 bits, uncompressed or bit fields
// with three or four masks. Other bitmaps go to SDL's reader.
bool isBitFieldBitmap(const BitmapHeader& header);

// The pixels as ARGB, row 0 at the top, each channel scaled from its mask's width to 8 bits;
// `pixels` is the file from the header's pixel offset on. Nothing when a mask is not one run
// of bits inside the pixel, two masks share a bit, or the file ends before the last pixel.
std::optional<FrameImage> decodeBitFieldBitmap(const BitmapHeader& header,
                                               std::span<const std::uint8_t> pixels);

// The texture format that keeps what such pixels hold: the 16-bit layouts the device has
// (R5G6B5, X1R5G5B5, A1R5G5B5, A4R4G4B4, X4R4G4B4) as they are, any other layout as
// A8R8G8B8 with an alpha mask and X8R8G8B8 without.
D3DFORMAT bitFieldTextureFormat(const BitmapHeader& header);
