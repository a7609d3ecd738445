// The helper library's loaders on bitmap and .x files the tests write themselves.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gfx/d3dx.h"
#include "gfx/resource.h"
#include "tests/gfx/offscreen_device.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

struct BitmapSpec {
    int width;
    int height;  // negative: rows stored top-down
    int bitsPerPixel;
    int compression;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields, 6 bit fields with alpha
    std::vector<std::uint32_t> palette;  // 0x00RRGGBB
    std::vector<std::uint32_t> masks;    // red, green, blue (and alpha) with bit fields
    Bytes pixels;                        // rows as stored, each padded to 4 bytes
    std::uint32_t infoBytes = 40;        // 108 and 124 hold the masks inside the header
};

Bytes bitmapFile(const BitmapSpec& bitmap) {
    Bytes extra;
    if (bitmap.infoBytes == 40) {
        for (std::uint32_t mask : bitmap.masks) {
            put32(extra, mask);
        }
    }
    for (std::uint32_t colour : bitmap.palette) {
        put32(extra, colour);
    }
    const std::uint32_t offset = 14 + bitmap.infoBytes + static_cast<std::uint32_t>(extra.size());
    Bytes file;
    file.push_back('B');
    file.push_back('M');
    put32(file, offset + static_cast<std::uint32_t>(bitmap.pixels.size()));
    put32(file, 0);
    put32(file, offset);
    put32(file, bitmap.infoBytes);
    put32(file, static_cast<std::uint32_t>(bitmap.width));
    put32(file, static_cast<std::uint32_t>(bitmap.height));
    put16(file, 1);
    put16(file, static_cast<std::uint32_t>(bitmap.bitsPerPixel));
    put32(file, static_cast<std::uint32_t>(bitmap.compression));
    put32(file, static_cast<std::uint32_t>(bitmap.pixels.size()));
    put32(file, 2835);
    put32(file, 2835);
    put32(file, static_cast<std::uint32_t>(bitmap.palette.size()));
    put32(file, 0);
    if (bitmap.infoBytes > 40) {
        Bytes rest;
        for (std::size_t i = 0; i < 4; ++i) {
            put32(rest, i < bitmap.masks.size() ? bitmap.masks[i] : 0);
        }
        rest.resize(bitmap.infoBytes - 40, 0);
        file.insert(file.end(), rest.begin(), rest.end());
    }
    file.insert(file.end(), extra.begin(), extra.end());
    file.insert(file.end(), bitmap.pixels.begin(), bitmap.pixels.end());
    return file;
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void writeText(const std::string& path, const std::string& text) {
    writeFile(path, Bytes(text.begin(), text.end()));
}

// Four texels in a row, as every bitmap below stores them: red, green, blue, white (bottom
// row) and white, blue, green, red (top row).
constexpr std::uint32_t bottomRow[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
constexpr std::uint32_t topRow[4] = {0xFFFFFFFF, 0xFF0000FF, 0xFF00FF00, 0xFFFF0000};
const std::vector<std::uint32_t> fourColours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};

BitmapSpec paletted(int bits) {
    BitmapSpec bitmap{4, 2, bits, 0, fourColours, {}, {}};
    const int order[2][4] = {{0, 1, 2, 3}, {3, 2, 1, 0}};  // bottom row first
    for (const auto& row : order) {
        Bytes packed(4, 0);
        for (int x = 0; x < 4; ++x) {
            if (bits == 8) {
                packed[x] = static_cast<std::uint8_t>(row[x]);
            } else if (bits == 4) {
                packed[x / 2] |= static_cast<std::uint8_t>(row[x] << (x % 2 == 0 ? 4 : 0));
            }
        }
        bitmap.pixels.insert(bitmap.pixels.end(), packed.begin(), packed.end());
    }
    return bitmap;
}

BitmapSpec trueColour(int bits, bool topDown = false) {
    BitmapSpec bitmap{4, topDown ? -2 : 2, bits, bits == 16 ? 3 : 0, {}, {}, {}};
    if (bits == 16) {
        bitmap.masks = {0xF800, 0x07E0, 0x001F};
    }
    const std::uint32_t* rows[2] = {topDown ? topRow : bottomRow, topDown ? bottomRow : topRow};
    for (const std::uint32_t* row : rows) {
        Bytes packed;
        for (int x = 0; x < 4; ++x) {
            const std::uint32_t c = row[x];
            if (bits == 16) {
                put16(packed,
                      ((c >> 19) & 0x1F) << 11 | ((c >> 10) & 0x3F) << 5 | ((c >> 3) & 0x1F));
            } else {
                packed.push_back(static_cast<std::uint8_t>(c));
                packed.push_back(static_cast<std::uint8_t>(c >> 8));
                packed.push_back(static_cast<std::uint8_t>(c >> 16));
                if (bits == 32) {
                    packed.push_back(0);
                }
            }
        }
        while (packed.size() % 4 != 0) {
            packed.push_back(0);
        }
        bitmap.pixels.insert(bitmap.pixels.end(), packed.begin(), packed.end());
    }
    return bitmap;
}

BitmapSpec runLength8() {
    BitmapSpec bitmap{4, 2, 8, 1, fourColours, {}, {}};
    bitmap.pixels = {1, 0, 1, 1, 1, 2, 1, 3, 0, 0,  // bottom row, end of line
                     2, 3, 2, 1, 0, 0, 0, 1};       // top row: two runs, end of bitmap
    // The top row as runs gives 3, 3, 1, 1; adjust what is expected below.
    return bitmap;
}

class Loaders : public testing::Test {
protected:
    void SetUp() override {
        device = createOffscreenHal(64, 64);
        ASSERT_NE(device, nullptr);
        directory = std::filesystem::temp_directory_path() /
                    ("kolvane_loaders_" + std::to_string(::getpid()));
        std::filesystem::create_directories(directory / "Graphics");
    }
    void TearDown() override {
        if (device != nullptr) {
            EXPECT_EQ(device->Release(), 0u);
        }
        std::filesystem::remove_all(directory);
    }

    std::string path(const std::string& name) const { return (directory / name).string(); }

    // Writes the bitmap file and loads it as a texture, whose level 0 is described in desc;
    // nullptr when the loader refuses it.
    IDirect3DTexture8* loadBitmap(const char* name, const BitmapSpec& bitmap,
                                  D3DSURFACE_DESC* desc) {
        writeFile(path(name), bitmapFile(bitmap));
        IDirect3DTexture8* texture = nullptr;
        if (FAILED(D3DXCreateTextureFromFileA(device, path(name).c_str(), &texture))) {
            return nullptr;
        }
        texture->GetLevelDesc(0, desc);
        return texture;
    }

    // Level 0 of a texture as ARGB, row 0 at the top.
    static std::vector<std::uint32_t> texels(IDirect3DTexture8* texture, UINT level = 0) {
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(level, &desc);
        D3DLOCKED_RECT locked{};
        std::vector<std::uint32_t> out;
        if (FAILED(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY))) {
            return out;
        }
        for (UINT y = 0; y < desc.Height; ++y) {
            for (UINT x = 0; x < desc.Width; ++x) {
                out.push_back(readTexel(
                    desc.Format, static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch, x));
            }
        }
        texture->UnlockRect(level);
        return out;
    }

    IDirect3DDevice8* device = nullptr;
    std::filesystem::path directory;
};

// -- Bitmaps -------------------------------------------------------------------------------------

TEST_F(Loaders, EveryCommonBitmapDepthLoadsItsTexelsTopRowFirst) {
    struct Case {
        const char* name;
        BitmapSpec bitmap;
        D3DFORMAT format;
    };
    const Case cases[] = {
        {"four.bmp", paletted(4), D3DFMT_X8R8G8B8},
        {"eight.bmp", paletted(8), D3DFMT_X8R8G8B8},
        {"sixteen.bmp", trueColour(16), D3DFMT_R5G6B5},
        {"twentyfour.bmp", trueColour(24), D3DFMT_X8R8G8B8},
        {"thirtytwo.bmp", trueColour(32), D3DFMT_X8R8G8B8},
        {"topdown.bmp", trueColour(24, true), D3DFMT_X8R8G8B8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        D3DSURFACE_DESC desc{};
        IDirect3DTexture8* texture = loadBitmap(c.name, c.bitmap, &desc);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(desc.Width, 4u);
        EXPECT_EQ(desc.Height, 2u);
        EXPECT_EQ(desc.Format, c.format);
        EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
        EXPECT_EQ(texture->GetLevelCount(), 3u) << "4x2, 2x1, 1x1";
        const std::vector<std::uint32_t> got = texels(texture);
        ASSERT_EQ(got.size(), 8u);
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(got[x], topRow[x]) << "top row, texel " << x;
            EXPECT_EQ(got[4 + x], bottomRow[x]) << "bottom row, texel " << x;
        }
        EXPECT_EQ(texture->Release(), 0u);
    }
}

TEST_F(Loaders, OneBitAndRunLengthBitmapsLoad) {
    BitmapSpec mono{8, 1, 1, 0, {0x000000, 0xFFFFFF}, {}, {0xA5, 0, 0, 0}};
    writeFile(path("mono.bmp"), bitmapFile(mono));
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileA(device, path("mono.bmp").c_str(), &texture), D3D_OK);
    std::vector<std::uint32_t> got = texels(texture);
    const std::uint32_t expectedMono[8] = {~0u,        0xFF000000, ~0u,        0xFF000000,
                                           0xFF000000, ~0u,        0xFF000000, ~0u};
    ASSERT_EQ(got.size(), 8u);
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(got[x], expectedMono[x]) << x;
    }
    EXPECT_EQ(texture->Release(), 0u);

    writeFile(path("rle.bmp"), bitmapFile(runLength8()));
    texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileA(device, path("rle.bmp").c_str(), &texture), D3D_OK);
    got = texels(texture);
    ASSERT_EQ(got.size(), 8u);
    const std::uint32_t expectedTop[4] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFF00FF00, 0xFF00FF00};
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(got[x], expectedTop[x]) << "top " << x;
        EXPECT_EQ(got[4 + x], bottomRow[x]) << "bottom " << x;
    }
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(Loaders, MipLevelsAverageTheLevelAbove) {
    BitmapSpec bitmap = trueColour(24);
    writeFile(path("mips.bmp"), bitmapFile(bitmap));
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileA(device, path("mips.bmp").c_str(), &texture), D3D_OK);
    const std::vector<std::uint32_t> smallest = texels(texture, 2);
    ASSERT_EQ(smallest.size(), 1u);
    // Every channel is full in four of the eight texels (its own colour and white).
    const auto channel = [&](int shift) { return static_cast<int>((smallest[0] >> shift) & 0xFF); };
    for (int shift : {16, 8, 0}) {
        EXPECT_NEAR(channel(shift), 128, 1);
    }
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(Loaders, BackslashNamesFindTheirFiles) {
    writeFile(path("Graphics/named.bmp"), bitmapFile(trueColour(24)));
    const std::string designed = directory.string() + "\\Graphics\\named.bmp";
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileA(device, designed.c_str(), &texture), D3D_OK);
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(Loaders, MissingOrMalformedBitmapsFailWithoutATexture) {
    Bytes whole = bitmapFile(trueColour(24));
    Bytes truncated(whole.begin(), whole.begin() + 30);
    Bytes huge = whole;
    huge[18] = 0xFF;  // width 0x00FF0004
    huge[20] = 0xFF;
    writeFile(path("empty.bmp"), {});
    writeFile(path("truncated.bmp"), truncated);
    writeFile(path("huge.bmp"), huge);
    writeText(path("text.bmp"), "this is not a picture");
    for (const char* name : {"missing.bmp", "empty.bmp", "truncated.bmp", "huge.bmp", "text.bmp"}) {
        IDirect3DTexture8* texture = nullptr;
        EXPECT_LT(D3DXCreateTextureFromFileA(device, path(name).c_str(), &texture), 0) << name;
        EXPECT_EQ(texture, nullptr) << name;
    }
    IDirect3DTexture8* texture = nullptr;
    EXPECT_LT(D3DXCreateTextureFromFileA(device, nullptr, &texture), 0);
}

// Bit-field bitmaps: one row of texels, each pixel given as the value the file stores.
BitmapSpec bitFieldRow(int bits, int compression, std::vector<std::uint32_t> masks,
                       std::initializer_list<std::uint32_t> stored, std::uint32_t infoBytes = 40) {
    BitmapSpec bitmap{
        static_cast<int>(stored.size()), 1, bits, compression, {}, std::move(masks), {}, infoBytes};
    for (std::uint32_t pixel : stored) {
        if (bits == 16) {
            put16(bitmap.pixels, pixel);
        } else {
            put32(bitmap.pixels, pixel);
        }
    }
    while (bitmap.pixels.size() % 4 != 0) {
        bitmap.pixels.push_back(0);
    }
    return bitmap;
}

TEST_F(Loaders, BitFieldBitmapsDecodeEveryChannelAtItsOwnWidth) {
    struct Case {
        const char* name;
        BitmapSpec bitmap;
        D3DFORMAT format;
        std::vector<std::uint32_t> texels;
    };
    const Case cases[] = {
        // 11-10-11 bits: red full; green 512 of 1023 and blue 1024 of 2047, both 128 of 255;
        // red 1 of 2047 rounds to 0.
        {"eleven_ten_eleven.bmp",
         bitFieldRow(32, 3, {0xFFE00000, 0x001FF800, 0x000007FF},
                     {0xFFE00000, 512u << 11 | 1024, 1u << 21 | 0x001FF800 | 0x7FF}),
         D3DFMT_X8R8G8B8,
         {0xFFFF0000, 0xFF008080, 0xFF00FFFF}},
        // 3-10-3 bits in 16: 3 of 7 is 109, 256 of 1023 is 64, 4 of 7 is 146.
        {"three_ten_three.bmp",
         bitFieldRow(16, 3, {0xE000, 0x1FF8, 0x0007}, {0xE000, 0x1FFF, 3u << 13 | 256u << 3 | 4}),
         D3DFMT_X8R8G8B8,
         {0xFFFF0000, 0xFF00FFFF, 0xFF6D4092}},
        // The file's own masks for all four channels, alpha among them.
        {"alpha_fields.bmp",
         bitFieldRow(32, 6, {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000},
                     {0x80563412, 0xFF0000FF}),
         D3DFMT_A8R8G8B8,
         {0x80123456, 0xFFFF0000}},
        // 32 bits stored as they are: the fourth byte is unused, whatever it holds.
        {"thirtytwo_padded.bmp",
         bitFieldRow(32, 0, {}, {0x40FF0000, 0xC000FF00, 0x010000FF}),
         D3DFMT_X8R8G8B8,
         {0xFFFF0000, 0xFF00FF00, 0xFF0000FF}},
        // 16 bits stored as they are: 5-5-5, the top bit unused; 16 of 31 is 132.
        {"fifteen.bmp",
         bitFieldRow(16, 0, {}, {0xFC00, 16u << 5 | 0x1F, 0x001F}),
         D3DFMT_X1R5G5B5,
         {0xFFFF0000, 0xFF0084FF, 0xFF0000FF}},
        // 4-4-4-4 in a version 5 header; alpha 8 of 15 is 136, blue 4 of 15 is 68.
        {"argb4444.bmp",
         bitFieldRow(16, 3, {0x0F00, 0x00F0, 0x000F, 0xF000}, {0x8F04, 0xF0F0}, 124),
         D3DFMT_A4R4G4B4,
         {0x88FF0044, 0xFF00FF00}},
        {"argb1555.bmp",
         bitFieldRow(16, 6, {0x7C00, 0x03E0, 0x001F, 0x8000}, {0x7C00, 0x83E0}),
         D3DFMT_A1R5G5B5,
         {0x00FF0000, 0xFF00FF00}},
        // A version 4 header with colour masks only: the alpha mask there is empty.
        {"xrgb4444.bmp",
         bitFieldRow(16, 3, {0x0F00, 0x00F0, 0x000F}, {0x0F00, 0xF00F}, 108),
         D3DFMT_X4R4G4B4,
         {0xFFFF0000, 0xFF0000FF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        D3DSURFACE_DESC desc{};
        IDirect3DTexture8* texture = loadBitmap(c.name, c.bitmap, &desc);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(desc.Format, c.format);
        EXPECT_EQ(desc.Width, c.texels.size());
        EXPECT_EQ(desc.Height, 1u);
        EXPECT_EQ(texels(texture), c.texels);
        EXPECT_EQ(texture->Release(), 0u);
    }
}

TEST_F(Loaders, TopDownFifteenBitBitmapKeepsItsRowsAndLayout) {
    BitmapSpec bitmap{2, -2, 16, 0, {}, {}, {}};
    for (std::uint32_t pixel : {0x7C00u, 0x03E0u, 0x001Fu, 0x7FFFu}) {  // top row first
        put16(bitmap.pixels, pixel);
    }
    D3DSURFACE_DESC desc{};
    IDirect3DTexture8* texture = loadBitmap("topdown15.bmp", bitmap, &desc);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(desc.Format, D3DFMT_X1R5G5B5);
    EXPECT_EQ(texels(texture),
              (std::vector<std::uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(Loaders, BitFieldBitmapsWithUnsoundMasksOrTooFewBytesAreRefused) {
    Bytes cut = bitmapFile(bitFieldRow(32, 3, {0xFF0000, 0xFF00, 0xFF}, {1, 2, 3}));
    cut.resize(cut.size() - 5);
    // Bit fields with alpha on a 40-byte header, the file ending inside the alpha mask.
    Bytes noAlphaMask = bitmapFile(bitFieldRow(16, 6, {0x7C00, 0x03E0, 0x001F}, {}));
    noAlphaMask.resize(14 + 40 + 12 + 2);
    const std::pair<const char*, Bytes> files[] = {
        {"overlap.bmp", bitmapFile(bitFieldRow(16, 3, {0xF800, 0x0FE0, 0x001F}, {1, 2}))},
        {"gaps.bmp", bitmapFile(bitFieldRow(16, 3, {0xF800, 0x0505, 0x001F}, {1, 2}))},
        {"outside.bmp", bitmapFile(bitFieldRow(16, 3, {0x1F0000, 0x07E0, 0x001F}, {1, 2}))},
        {"alphagaps.bmp",
         bitmapFile(bitFieldRow(32, 6, {0xFF0000, 0xFF00, 0xFF, 0x81000000}, {1, 2}))},
        {"cut.bmp", cut},
        {"noalphamask.bmp", noAlphaMask},
    };
    for (const auto& [name, bytes] : files) {
        writeFile(path(name), bytes);
        IDirect3DTexture8* texture = nullptr;
        EXPECT_LT(D3DXCreateTextureFromFileA(device, path(name).c_str(), &texture), 0) << name;
        EXPECT_EQ(texture, nullptr) << name;
    }
}

// -- Meshes --------------------------------------------------------------------------------------

const char* const framedMesh = R"(xof 0302txt 0032
Frame Outer {
 FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 10.0,0.0,0.0,1.0;; }
 Frame Inner {
  FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,0.0,5.0,1.0;; }
  Mesh Square {
   4;
   0.0;0.0;1.0;,
   0.0;1.0;1.0;,
   1.0;0.0;1.0;,
   1.0;1.0;1.0;;
   2;
   3;0,1,2;,
   3;2,1,3;;
   MeshMaterialList {
    2;
    2;
    1,0;;
    Material Yellow {
     1.0;1.0;0.0;0.5;;
     12.0;
     0.1;0.2;0.3;;
     0.0;0.0;0.4;;
     TextureFilename { "cell.bmp"; }
    }
    Material Cyan {
     0.0;1.0;1.0;1.0;;
     0.0;
     0.0;0.0;0.0;;
     0.0;0.0;0.0;;
    }
   }
   MeshNormals {
    1;
    0.0;0.0;-1.0;;
    2;
    3;0,0,0;,
    3;0,0,0;;
   }
   MeshTextureCoords {
    4;
    0.0;1.0;,
    0.0;0.0;,
    1.0;1.0;,
    1.0;0.0;;
   }
  }
 }
}
)";

std::string body(const char* file) {
    return std::string(file).substr(16);
}

// The .x file compressed as the format's MSZIP blocks.
Bytes compressedMesh(const char* source) {
    const std::string text = body(source);
    Bytes deflated(compressBound(static_cast<uLong>(text.size())) + 64);
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = deflated.data();
    stream.avail_out = static_cast<uInt>(deflated.size());
    deflate(&stream, Z_FINISH);
    deflated.resize(stream.total_out);
    deflateEnd(&stream);
    const std::string header = "xof 0302tzip0032";
    Bytes file(header.begin(), header.end());
    put32(file, static_cast<std::uint32_t>(text.size() + header.size()));
    put16(file, static_cast<std::uint32_t>(text.size()));
    put16(file, static_cast<std::uint32_t>(deflated.size() + 2));
    file.push_back('C');
    file.push_back('K');
    file.insert(file.end(), deflated.begin(), deflated.end());
    return file;
}

struct LoadedMesh {
    HRESULT result = E_FAIL;
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD materialCount = 0xDEAD;

    ~LoadedMesh() {
        if (mesh != nullptr) {
            mesh->Release();
        }
        if (materials != nullptr) {
            materials->Release();
        }
    }
};

void load(IDirect3DDevice8* device, const std::string& file, LoadedMesh* out) {
    out->result = D3DXLoadMeshFromX(file.c_str(), D3DXMESH_SYSTEMMEM, device, nullptr,
                                    &out->materials, &out->materialCount, &out->mesh);
}

struct Corner {
    float x, y, z, nx, ny, nz, u, v;
};

std::vector<Corner> trianglesOf(ID3DXMesh* mesh) {
    IDirect3DVertexBuffer8* vertices = nullptr;
    IDirect3DIndexBuffer8* indices = nullptr;
    mesh->GetVertexBuffer(&vertices);
    mesh->GetIndexBuffer(&indices);
    BYTE* vertexData = nullptr;
    BYTE* indexData = nullptr;
    vertices->Lock(0, 0, &vertexData, D3DLOCK_READONLY);
    indices->Lock(0, 0, &indexData, D3DLOCK_READONLY);
    std::vector<Corner> corners;
    for (DWORD i = 0; i < mesh->GetNumFaces() * 3; ++i) {
        std::uint16_t index = 0;
        std::memcpy(&index, indexData + i * 2, 2);
        Corner c{};
        const DWORD stride = mesh->GetNumBytesPerVertex();
        std::memcpy(&c, vertexData + index * stride, std::min<std::size_t>(sizeof c, stride));
        corners.push_back(c);
    }
    vertices->Unlock();
    indices->Unlock();
    vertices->Release();
    indices->Release();
    return corners;
}

void expectFramedSquare(const LoadedMesh& loaded) {
    ASSERT_EQ(loaded.result, D3D_OK);
    ASSERT_NE(loaded.mesh, nullptr);
    EXPECT_EQ(loaded.mesh->GetFVF(), D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
    EXPECT_EQ(loaded.mesh->GetNumFaces(), 2u);
    ASSERT_EQ(loaded.materialCount, 2u);
    const auto* records = static_cast<const D3DXMATERIAL*>(loaded.materials->GetBufferPointer());
    const D3DMATERIAL8& yellow = records[0].MatD3D;
    EXPECT_FLOAT_EQ(yellow.Diffuse.r, 1.0f);
    EXPECT_FLOAT_EQ(yellow.Diffuse.b, 0.0f);
    EXPECT_FLOAT_EQ(yellow.Diffuse.a, 0.5f);
    EXPECT_FLOAT_EQ(yellow.Power, 12.0f);
    EXPECT_FLOAT_EQ(yellow.Specular.g, 0.2f);
    EXPECT_FLOAT_EQ(yellow.Emissive.b, 0.4f);
    ASSERT_NE(records[0].pTextureFilename, nullptr);
    EXPECT_STREQ(records[0].pTextureFilename, "cell.bmp");
    EXPECT_FLOAT_EQ(records[1].MatD3D.Diffuse.g, 1.0f);
    EXPECT_FLOAT_EQ(records[1].MatD3D.Diffuse.r, 0.0f);
    EXPECT_EQ(records[1].pTextureFilename, nullptr);

    // Subset 0 (Yellow) holds the file's second face, subset 1 the first.
    DWORD subsetCount = 0;
    loaded.mesh->GetAttributeTable(nullptr, &subsetCount);
    ASSERT_EQ(subsetCount, 2u);
    D3DXATTRIBUTERANGE subsets[2];
    loaded.mesh->GetAttributeTable(subsets, &subsetCount);
    EXPECT_EQ(subsets[0].AttribId, 0u);
    EXPECT_EQ(subsets[0].FaceStart, 0u);
    EXPECT_EQ(subsets[1].AttribId, 1u);
    EXPECT_EQ(subsets[1].FaceStart, 1u);
    const std::vector<Corner> corners = trianglesOf(loaded.mesh);
    ASSERT_EQ(corners.size(), 6u);
    // Face "2,1,3" first, in the file's winding, moved by both frames (x + 10, z + 5), z kept.
    const float expected[6][3] = {{11, 0, 6}, {10, 1, 6}, {11, 1, 6},
                                  {10, 0, 6}, {10, 1, 6}, {11, 0, 6}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(corners[i].x, expected[i][0]) << "corner " << i;
        EXPECT_FLOAT_EQ(corners[i].y, expected[i][1]) << "corner " << i;
        EXPECT_FLOAT_EQ(corners[i].z, expected[i][2]) << "corner " << i;
        EXPECT_FLOAT_EQ(corners[i].nz, -1.0f) << "normal towards the viewer";
    }
    EXPECT_FLOAT_EQ(corners[3].u, 0.0f);
    EXPECT_FLOAT_EQ(corners[3].v, 1.0f) << "texture coordinates as in the file";
    EXPECT_FLOAT_EQ(corners[1].v, 0.0f);
}

TEST_F(Loaders, TextMeshKeepsItsCoordinatesWindingAndMaterialOrder) {
    writeText(path("framed.x"), framedMesh);
    LoadedMesh loaded;
    load(device, path("framed.x"), &loaded);
    expectFramedSquare(loaded);
}

TEST_F(Loaders, CompressedMeshLoadsLikeTheText) {
    writeFile(path("framed_zip.x"), compressedMesh(framedMesh));
    LoadedMesh loaded;
    load(device, path("framed_zip.x"), &loaded);
    expectFramedSquare(loaded);
}

// Once the mesh reader's code has been let go, the next load reads it back in and loads alike.
TEST_F(Loaders, MeshesLoadAlikeAfterTheReaderCodeIsLetGo) {
    writeText(path("framed.x"), framedMesh);
    writeFile(path("framed_zip.x"), compressedMesh(framedMesh));
    LoadedMesh first;
    load(device, path("framed.x"), &first);
    expectFramedSquare(first);
    releaseMeshLoaderCode();
    LoadedMesh text, compressed;
    load(device, path("framed.x"), &text);
    expectFramedSquare(text);
    releaseMeshLoaderCode();
    load(device, path("framed_zip.x"), &compressed);
    expectFramedSquare(compressed);
}

TEST_F(Loaders, MeshWithoutMaterialListHasNoMaterials) {
    writeText(path("plain.x"),
              "xof 0302txt 0032\nMesh M { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }\n");
    LoadedMesh loaded;
    load(device, path("plain.x"), &loaded);
    ASSERT_EQ(loaded.result, D3D_OK);
    EXPECT_EQ(loaded.materialCount, 0u);
    EXPECT_EQ(loaded.mesh->GetFVF(), D3DFVF_XYZ);
    EXPECT_EQ(loaded.mesh->GetNumFaces(), 1u);
}

TEST_F(Loaders, MeshSubsetDrawsWithTheDevice) {
    writeText(path("framed.x"), framedMesh);
    LoadedMesh loaded;
    load(device, path("framed.x"), &loaded);
    ASSERT_EQ(loaded.result, D3D_OK);
    D3DXMATRIX world, view, projection;
    D3DXMatrixTranslation(&world, -10.5f, -0.5f, -4.0f);
    D3DXMatrixIdentity(&view);
    D3DXMatrixPerspectiveFovLH(&projection, 1.5707964f, 1.0f, 1.0f, 100.0f);
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    EXPECT_EQ(loaded.mesh->DrawSubset(0), D3D_OK);
    EXPECT_EQ(loaded.mesh->DrawSubset(7), D3D_OK) << "no such subset: nothing drawn";
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    FrameImage image;
    ASSERT_EQ(device->readPresentedFrame(&image), D3D_OK);
    // The square spans x, y -0.5..0.5 at depth 2 (pixels 24..40); subset 0 is its upper right
    // half.
    EXPECT_EQ(image.at(36, 28), 0xFFFFFFFFu);
    EXPECT_EQ(image.at(28, 36), 0xFF000000u);
    device->SetStreamSource(0, nullptr, 0);
    device->SetIndices(nullptr, 0);
}

// A skinned, animated model of two frames, each with a mesh of its own.
const char* const animatedModel = R"(xof 0302txt 0032
AnimTicksPerSecond { 4800; }
Frame Root {
 FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,0.0,0.0,1.0;; }
 Frame Body {
  FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,0.0,2.0,1.0;; }
  Mesh Trunk {
   4;
   0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;;
   2;
   3;0,1,2;, 3;2,1,3;;
   XSkinMeshHeader { 2; 2; 1; }
   SkinWeights { "Arm"; 2; 2, 3; 1.0, 0.5;
    1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,0.0,0.0,1.0;; }
   SkinWeights { "Body"; 3; 0, 1, 3; 1.0, 1.0, 0.5;
    1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,0.0,-2.0,1.0;; }
  }
 }
 Frame Arm {
  FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 5.0,0.0,0.0,1.0;; }
  Mesh Hand { 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;; 1; 3;0,1,2;; }
 }
}
AnimationSet Wave {
 Animation {
  { Arm }
  AnimationKey { 0; 2; 0; 4; 1.0,0.0,0.0,0.0;;, 4800; 4; 0.7071,0.0,0.7071,0.0;;; }
  AnimationKey { 2; 2; 0; 3; 5.0,0.0,0.0;;, 4800; 3; 5.0,2.0,0.0;;; }
 }
 Animation { { Body } AnimationKey { 1; 1; 0; 3; 1.0,1.0,1.0;;; } }
}
)";

TEST_F(Loaders, AnAnimatedSkinnedModelOfSeveralFramesLoadsAsOneStillMesh) {
    writeText(path("animated.x"), animatedModel);
    LoadedMesh loaded;
    load(device, path("animated.x"), &loaded);
    ASSERT_EQ(loaded.result, D3D_OK);
    ASSERT_NE(loaded.mesh, nullptr);
    EXPECT_EQ(loaded.mesh->GetNumVertices(), 7u);
    EXPECT_EQ(loaded.mesh->GetNumFaces(), 3u);
    EXPECT_EQ(loaded.mesh->GetFVF(), DWORD{D3DFVF_XYZ});
    EXPECT_EQ(loaded.materialCount, 0u);
    // Each mesh stands where its frames put it, not where the animation would move it.
    const std::vector<Corner> corners = trianglesOf(loaded.mesh);
    ASSERT_EQ(corners.size(), 9u);
    const float expected[9][3] = {{0, 0, 2}, {0, 1, 2}, {1, 0, 2}, {1, 0, 2}, {0, 1, 2},
                                  {1, 1, 2}, {5, 0, 0}, {5, 1, 0}, {6, 0, 0}};
    for (int i = 0; i < 9; ++i) {
        EXPECT_FLOAT_EQ(corners[i].x, expected[i][0]) << "corner " << i;
        EXPECT_FLOAT_EQ(corners[i].y, expected[i][1]) << "corner " << i;
        EXPECT_FLOAT_EQ(corners[i].z, expected[i][2]) << "corner " << i;
    }
}

TEST_F(Loaders, MissingOrMalformedMeshesFailWithoutOutputs) {
    const std::string text = framedMesh;
    writeText(path("truncated.x"), text.substr(0, text.size() / 2));
    writeText(path("header.x"), "xof 0302txt 0032\n");
    writeText(path("garbage.x"), "this is not a mesh at all, not even close");
    writeText(path("badindex.x"),
              "xof 0302txt 0032\nMesh M { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,9;; }\n");
    Bytes zipped = compressedMesh(framedMesh);
    zipped.resize(zipped.size() - 20);
    writeFile(path("truncated_zip.x"), zipped);
    for (const char* name :
         {"missing.x", "truncated.x", "header.x", "garbage.x", "badindex.x", "truncated_zip.x"}) {
        LoadedMesh loaded;
        load(device, path(name), &loaded);
        EXPECT_LT(loaded.result, 0) << name;
        EXPECT_EQ(loaded.mesh, nullptr) << name;
        EXPECT_EQ(loaded.materials, nullptr) << name;
        EXPECT_EQ(loaded.materialCount, 0xDEADu) << name;
    }
}

}  // namespace
