// The public headers compile on their own and carry the classic numbers callers store.
#include "gfx/d3dx.h"
#include "gfx/device.h"
#include "gfx/types.h"

#include <gtest/gtest.h>

namespace {

TEST(ResultCodes, AreTheSigned32BitValuesCallersCompareWith) {
    EXPECT_EQ(static_cast<std::uint32_t>(D3DERR_DEVICELOST), 0x88760868u);
    EXPECT_EQ(static_cast<std::uint32_t>(D3DERR_DEVICENOTRESET), 0x88760869u);
    EXPECT_EQ(static_cast<std::uint32_t>(E_FAIL), 0x80004005u);
    EXPECT_EQ(static_cast<std::uint32_t>(E_OUTOFMEMORY), 0x8007000Eu);
    EXPECT_EQ(static_cast<std::uint32_t>(D3DERR_OUTOFVIDEOMEMORY), 0x8876017Cu);
    EXPECT_TRUE(FAILED(D3DERR_DEVICELOST));
    EXPECT_TRUE(SUCCEEDED(S_OK));
}

TEST(Formats, CarryTheirStoredNumbersAndSizes) {
    EXPECT_EQ(D3DFMT_X8R8G8B8, 22u);
    EXPECT_EQ(D3DFMT_D24X4S4, 79u);
    EXPECT_EQ(bytesPerTexel(D3DFMT_A4R4G4B4), 2u);
    EXPECT_EQ(bytesPerTexel(D3DFMT_A8R8G8B8), 4u);
    EXPECT_EQ(bytesPerTexel(D3DFMT_D16), 0u);
    EXPECT_EQ(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1, 0x142u);
    EXPECT_EQ(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1, 0x1C4u);
    EXPECT_EQ(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, 0x112u);
}

}  // namespace
