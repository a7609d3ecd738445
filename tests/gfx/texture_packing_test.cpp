// Texels packed while a texture waits to be drawn come back exactly as written.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "gfx/device.h"
#include "gfx/image.h"
#include "gfx/packed_texels.h"
#include "tests/gfx/offscreen_device.h"

namespace {

// A chain of 4-byte levels from side x side down to 1 x 1, each filled by texel(x, y, level).
template <class Texel>
std::vector<PixelLevel> levelChain(UINT side, Texel texel) {
    std::vector<PixelLevel> levels;
    for (UINT level = 0; side > 0; side /= 2, ++level) {
        PixelLevel pixels;
        pixels.width = pixels.height = side;
        pixels.pitch = side * 4;
        pixels.bytes.resize(std::size_t{pixels.pitch} * side);
        for (UINT y = 0; y < side; ++y) {
            for (UINT x = 0; x < side; ++x) {
                const std::uint32_t value = texel(x, y, level);
                std::memcpy(pixels.bytes.data() + y * pixels.pitch + x * 4, &value, 4);
            }
        }
        levels.push_back(std::move(pixels));
    }
    return levels;
}

std::uint32_t stripes(UINT x, UINT y, UINT level) {
    return 0xFF000000u | (((x / 4) % 2 ? 0xC08040u : 0x204060u) + y + (level << 16));
}

std::vector<const PixelLevel*> readable(const std::vector<PixelLevel>& levels) {
    std::vector<const PixelLevel*> pointers;
    for (const PixelLevel& level : levels) {
        pointers.push_back(&level);
    }
    return pointers;
}

std::vector<PixelLevel*> writable(std::vector<PixelLevel>& levels) {
    std::vector<PixelLevel*> pointers;
    for (PixelLevel& level : levels) {
        pointers.push_back(&level);
    }
    return pointers;
}

TEST(PackedTexels, EveryLevelComesBackByteForByte) {
    const std::vector<PixelLevel> written = levelChain(64, stripes);
    const std::vector<std::uint8_t> packed = packTexels(readable(written));
    ASSERT_FALSE(packed.empty());
    EXPECT_LT(packed.size(), written[0].bytes.size() / 4);

    std::vector<PixelLevel> restored = levelChain(64, [](UINT, UINT, UINT) { return 0u; });
    ASSERT_TRUE(unpackTexels(packed, writable(restored)));
    for (std::size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(restored[i].bytes, written[i].bytes) << "level " << i;
    }
}

TEST(PackedTexels, PackedSliceBySliceTheyComeBackAsWell) {
    const std::vector<PixelLevel> written = levelChain(64, stripes);
    TexelPacking packing(readable(written));
    int slices = 1;
    while (!packing.advance(1000)) {
        ++slices;
    }
    EXPECT_GT(slices, 16);
    std::vector<PixelLevel> restored = levelChain(64, [](UINT, UINT, UINT) { return 0u; });
    ASSERT_TRUE(unpackTexels(packing.takePacked(), writable(restored)));
    for (std::size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(restored[i].bytes, written[i].bytes) << "level " << i;
    }
}

TEST(PackedTexels, NoiseIsLeftAsItIs) {
    std::mt19937 random(7);
    const std::vector<PixelLevel> noise =
        levelChain(64, [&](UINT, UINT, UINT) { return static_cast<std::uint32_t>(random()); });
    EXPECT_TRUE(packTexels(readable(noise)).empty());
}

TEST(PackedTexels, PackedBytesOfOtherSizesAreRefused) {
    const std::vector<std::uint8_t> packed = packTexels(readable(levelChain(32, stripes)));
    ASSERT_FALSE(packed.empty());
    std::vector<PixelLevel> larger = levelChain(64, stripes);
    EXPECT_FALSE(unpackTexels(packed, writable(larger)));
    std::vector<PixelLevel> smaller = levelChain(16, stripes);
    EXPECT_FALSE(unpackTexels(packed, writable(smaller)));
    std::vector<PixelLevel> same = levelChain(32, stripes);
    EXPECT_TRUE(unpackTexels(packed, writable(same)));
}

// Large enough that the device packs it over several frames.
constexpr UINT kSide = 512;

// A managed X8R8G8B8 texture with its full chain, written with stripes.
IDirect3DTexture8* stripedTexture(IDirect3DDevice8* device) {
    IDirect3DTexture8* texture = nullptr;
    if (device->CreateTexture(kSide, kSide, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture) !=
        D3D_OK) {
        return nullptr;
    }
    for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(level, &desc);
        D3DLOCKED_RECT locked{};
        texture->LockRect(level, &locked, nullptr, 0);
        for (UINT y = 0; y < desc.Height; ++y) {
            for (UINT x = 0; x < desc.Width; ++x) {
                const std::uint32_t value = stripes(x, y, level);
                std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, &value, 4);
            }
        }
        texture->UnlockRect(level);
    }
    return texture;
}

void presentEmptyFrames(IDirect3DDevice8* device, int count) {
    for (int i = 0; i < count; ++i) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
}

struct ScreenVertex {
    float x, y, z, rhw;
    float u, v;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_TEX1;

// Draws the texture point-sampled over kSide x kSide pixels at the top left and reads the frame.
FrameImage drawTexelForPixel(IDirect3DDevice8* device, IDirect3DTexture8* texture) {
    const float side = static_cast<float>(kSide);
    const ScreenVertex quad[4] = {{0, side, 0.5f, 1, 0, 1},
                                  {0, 0, 0.5f, 1, 0, 0},
                                  {side, side, 0.5f, 1, 1, 1},
                                  {side, 0, 0.5f, 1, 1, 0}};
    IDirect3DVertexBuffer8* buffer = nullptr;
    device->CreateVertexBuffer(sizeof(quad), D3DUSAGE_WRITEONLY, kScreenFvf, D3DPOOL_MANAGED,
                               &buffer);
    BYTE* data = nullptr;
    buffer->Lock(0, 0, &data, 0);
    std::memcpy(data, quad, sizeof(quad));
    buffer->Unlock();
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    device->SetTexture(0, texture);
    device->SetVertexShader(kScreenFvf);
    device->SetStreamSource(0, buffer, sizeof(ScreenVertex));
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    device->SetTexture(0, nullptr);
    device->SetStreamSource(0, nullptr, 0);
    buffer->Release();
    FrameImage frame;
    device->readPresentedFrame(&frame);
    return frame;
}

// The number of texels of the level that differ from the stripes written.
int wrongTexels(IDirect3DTexture8* texture, UINT level) {
    D3DLOCKED_RECT locked{};
    if (texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) {
        return -1;
    }
    int wrong = 0;
    for (UINT y = 0; y < kSide >> level; ++y) {
        for (UINT x = 0; x < kSide >> level; ++x) {
            std::uint32_t value = 0;
            std::memcpy(&value, static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
            wrong += value != stripes(x, y, level);
        }
    }
    texture->UnlockRect(level);
    return wrong;
}

// The number of pixels of the drawn texture that differ from the stripes written.
int wrongPixels(IDirect3DDevice8* device, IDirect3DTexture8* texture) {
    const FrameImage frame = drawTexelForPixel(device, texture);
    if (frame.width != kSide) {
        return -1;
    }
    int wrong = 0;
    for (UINT y = 0; y < kSide; ++y) {
        for (UINT x = 0; x < kSide; ++x) {
            wrong += frame.at(x, y) != stripes(x, y, 0);
        }
    }
    return wrong;
}

// The OpenGL device, offscreen, with one striped picture.
class OpenGlTextures : public testing::Test {
protected:
    void SetUp() override {
        setPresentWait(false);
        device = createOffscreenHal(kSide, kSide);
        if (device == nullptr) {
            GTEST_SKIP() << "no OpenGL device on this machine";
        }
        texture = stripedTexture(device);
        ASSERT_NE(texture, nullptr);
    }
    void TearDown() override {
        if (texture != nullptr) {
            texture->Release();
        }
        if (device != nullptr) {
            EXPECT_EQ(device->Release(), 0u);
        }
    }

    IDirect3DDevice8* device = nullptr;
    IDirect3DTexture8* texture = nullptr;
};

// Seconds of frames pass between every use of a picture, long enough for it to be packed
// whether it was drawn before or not: what is locked and drawn is always what was written.
TEST_F(OpenGlTextures, APictureLeftAloneForSecondsLocksAndDrawsAsWritten) {
    constexpr int kLongerThanAnyWait = 420;
    presentEmptyFrames(device, kLongerThanAnyWait);
    EXPECT_EQ(wrongTexels(texture, 2), 0) << "locked before it was ever drawn";
    presentEmptyFrames(device, kLongerThanAnyWait);
    EXPECT_EQ(wrongPixels(device, texture), 0) << "drawn for the first time";
    presentEmptyFrames(device, kLongerThanAnyWait);
    EXPECT_EQ(wrongPixels(device, texture), 0) << "drawn again";
    presentEmptyFrames(device, kLongerThanAnyWait);
    EXPECT_EQ(wrongTexels(texture, 0), 0) << "locked after it was drawn";
    EXPECT_EQ(wrongPixels(device, texture), 0) << "drawn after it was locked";
}

// The picture is used while it is being packed, a few frames after the device began (2 s after
// it was written, 5 s after it was drawn): the packing is given up and nothing is lost.
TEST_F(OpenGlTextures, APictureUsedWhileBeingPackedLocksAndDrawsAsWritten) {
    presentEmptyFrames(device, 122);
    EXPECT_EQ(wrongPixels(device, texture), 0) << "drawn while packed for the first time";
    presentEmptyFrames(device, 302);
    EXPECT_EQ(wrongTexels(texture, 1), 0) << "locked while packed after it was drawn";
    EXPECT_EQ(wrongPixels(device, texture), 0) << "drawn after that";
}

}  // namespace
