#include "render/texture_font.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "recording_device.h"

namespace {

class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(font.createDeviceObjects(&device), 0);
        ASSERT_EQ(font.createVolatileObjects(), 0);
        ASSERT_EQ(device.BeginScene(), 0);
    }
    void TearDown() override {
        device.EndScene();
        font.destroy();
        EXPECT_EQ(device.liveObjects, 0);
    }
    int texelWidth(int code) const {
        const GlyphEntry& g = font.glyph(code);
        return static_cast<int>(std::lround((g.right - g.left) * font.textureWidth()));
    }
    int rowHeight() const {
        const GlyphEntry& g = font.glyph(' ');
        return static_cast<int>(std::lround((g.bottom - g.top) * font.textureHeight()));
    }
    std::vector<UINT> batches() const {
        std::vector<UINT> counts;
        for (const DrawRecord& d : device.draws) {
            counts.push_back(d.primitiveCount);
        }
        return counts;
    }

    RecordingDevice device{640, 480};
    TextureFont font{"Courier", 18, fontBold};
};

TEST(GlyphTextureSize, GrowsWithTheFontHeight) {
    EXPECT_EQ(glyphTextureSize(18), 256u);
    EXPECT_EQ(glyphTextureSize(20), 256u);
    EXPECT_EQ(glyphTextureSize(21), 512u);
    EXPECT_EQ(glyphTextureSize(40), 512u);
    EXPECT_EQ(glyphTextureSize(41), 1024u);
}

TEST(GlyphLayout, FillsRowsLeavingOneTexelRightAndBelowEachCell) {
    std::array<int, glyphCount> advances{};
    advances.fill(10);
    const GlyphLayout cells = layoutGlyphs(advances, 20, 64);
    // 10 + 1 texels a cell: five fit a row of 64 (5 x 11 = 55; a sixth would need 66).
    EXPECT_EQ(cells[0].x, 0);
    EXPECT_EQ(cells[1].x, 11);
    EXPECT_EQ(cells[4].x, 44);
    EXPECT_EQ(cells[4].y, 0);
    EXPECT_EQ(cells[5].x, 0);
    EXPECT_EQ(cells[5].y, 21);
    EXPECT_EQ(cells[glyphCount - 1].y, 21 * ((glyphCount - 1) / 5));
}

TEST_F(FontTest, GlyphTextureIsA4R4G4B4WithEveryCharacterInRowsOneTexelApart) {
    auto* texture = dynamic_cast<FakeTexture*>(font.texture());
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->format(), D3DFMT_A4R4G4B4);
    EXPECT_EQ(font.textureWidth(), 256u);
    EXPECT_EQ(font.textureScale(), 1.0f);
    const int height = rowHeight();
    EXPECT_GT(height, 15);
    EXPECT_LT(height, 40);
    for (int c = firstGlyphCode + 1; c <= lastGlyphCode; ++c) {
        const GlyphEntry& previous = font.glyph(c - 1);
        const GlyphEntry& g = font.glyph(c);
        EXPECT_LE(g.right, 1.0f);
        EXPECT_LE(g.bottom, 1.0f);
        EXPECT_EQ(texelWidth(c), texelWidth(' ')) << "a Courier face is monospaced: " << char(c);
        if (g.top == previous.top) {
            EXPECT_NEAR((g.left - previous.right) * 256.0f, 1.0f, 1e-3f) << char(c);
        } else {
            EXPECT_FLOAT_EQ(g.left, 0.0f) << char(c);
            EXPECT_NEAR((g.top - previous.top) * 256.0f, height + 1.0f, 1e-3f) << char(c);
        }
    }
}

TEST_F(FontTest, LettersLeaveCoverageAndTheGapsStayClear) {
    auto* texture = dynamic_cast<FakeTexture*>(font.texture());
    const auto* texels = reinterpret_cast<const std::uint16_t*>(texture->level(0).bytes.data());
    auto inkIn = [&](int code) {
        const GlyphEntry& g = font.glyph(code);
        int ink = 0;
        for (int y = std::lround(g.top * 256); y < std::lround(g.bottom * 256); ++y) {
            for (int x = std::lround(g.left * 256); x < std::lround(g.right * 256); ++x) {
                const std::uint16_t texel = texels[y * 256 + x];
                if (texel != 0) {
                    EXPECT_EQ(texel & 0x0FFF, 0x0FFF) << "ink is white";
                    ++ink;
                }
            }
        }
        return ink;
    };
    EXPECT_EQ(inkIn(' '), 0);
    EXPECT_GT(inkIn('W'), 20);
    EXPECT_GT(inkIn('0'), 20);
    const GlyphEntry& a = font.glyph('A');
    const int gapColumn = std::lround(a.right * 256);
    for (int y = std::lround(a.top * 256); y < std::lround(a.bottom * 256); ++y) {
        EXPECT_EQ(texels[y * 256 + gapColumn], 0);
    }
}

TEST_F(FontTest, MeasureTextTakesTheWidestLineAndCountsLineBreaks) {
    const int w = texelWidth('A');
    const int h = rowHeight();
    TextExtent extent;
    ASSERT_EQ(font.measureText("AB", &extent), 0);
    EXPECT_NEAR(extent.width, 2 * w, 1);
    EXPECT_EQ(extent.height, h);
    ASSERT_EQ(font.measureText("AB\nCDEF\nG", &extent), 0);
    EXPECT_NEAR(extent.width, 4 * w, 1);
    EXPECT_NEAR(extent.height, 3 * h, 1);
    ASSERT_EQ(font.measureText("\x01"
                               "A\t\x7f\xe9"
                               "B",
                               &extent),
              0);
    EXPECT_NEAR(extent.width, 2 * w, 1) << "codes outside 32..126 take no space";
    ASSERT_EQ(font.measureText("", &extent), 0);
    EXPECT_EQ(extent.width, 0);
    EXPECT_EQ(extent.height, h);
}

TEST_F(FontTest, MeasureTextWithoutTextOrPlaceFailsAndWritesNothing) {
    TextExtent extent{7, 9};
    EXPECT_EQ(font.measureText(nullptr, &extent), E_FAIL);
    EXPECT_EQ(extent.width, 7);
    EXPECT_EQ(font.measureText("A", nullptr), E_FAIL);
}

TEST_F(FontTest, FortyNineCharactersAreOneBatchAndTheFiftiethClosesIt) {
    font.drawText3D(std::string(49, 'x').c_str(), textFiltered);
    EXPECT_EQ(batches(), std::vector<UINT>{98});
    device.draws.clear();
    font.drawText3D(std::string(50, 'x').c_str(), textFiltered);
    EXPECT_EQ(batches(), std::vector<UINT>{100});
    device.draws.clear();
    font.drawText3D(std::string(51, 'x').c_str(), textFiltered);
    EXPECT_EQ(batches(), (std::vector<UINT>{100, 2}));
    device.draws.clear();
    font.drawText3D((std::string(49, 'x') + "\n\x01" + "yy").c_str(), 0);
    EXPECT_EQ(batches(), (std::vector<UINT>{100, 2})) << "line breaks and skipped codes add none";
}

TEST_F(FontTest, EmptyTextDrawsNothingButStillSavesAndRestoresTheState) {
    IDirect3DTexture8* sceneTexture = nullptr;
    device.CreateTexture(4, 4, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &sceneTexture);
    device.SetTexture(0, sceneTexture);
    device.SetRenderState(D3DRS_ZENABLE, TRUE);
    device.SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    const int captured = device.capturedBlocks;
    const int applied = device.appliedBlocks;
    EXPECT_EQ(font.drawText3D("", textFiltered | textCentred), 0);
    EXPECT_TRUE(device.draws.empty());
    EXPECT_EQ(device.capturedBlocks, captured + 1);
    EXPECT_EQ(device.appliedBlocks, applied + 2);
    EXPECT_EQ(device.state().renderStates[D3DRS_ZENABLE], DWORD(TRUE));
    EXPECT_EQ(device.state().renderStates[D3DRS_ALPHABLENDENABLE], DWORD(FALSE));
    EXPECT_EQ(device.state().stageStates[0][D3DTSS_MAGFILTER], D3DTEXF_LINEAR);
    EXPECT_EQ(device.boundTexture(0), sceneTexture);
    device.SetTexture(0, nullptr);
    sceneTexture->Release();
}

TEST_F(FontTest, TextIsDrawnBlendedWithoutDepthTestAndTheStateComesBack) {
    device.SetRenderState(D3DRS_ZENABLE, TRUE);
    font.drawText3D("Hi", textFiltered);
    ASSERT_EQ(device.draws.size(), 1u);
    const DrawRecord& d = device.draws[0];
    EXPECT_EQ(d.zEnable, DWORD(FALSE));
    EXPECT_EQ(d.alphaBlend, DWORD(TRUE));
    EXPECT_EQ(d.magFilter, D3DTEXF_LINEAR) << "filtered";
    EXPECT_EQ(d.texture, font.texture());
    EXPECT_EQ(device.state().renderStates[D3DRS_ZENABLE], DWORD(TRUE));
    EXPECT_EQ(device.state().renderStates[D3DRS_ALPHABLENDENABLE], DWORD(FALSE));
    device.draws.clear();
    font.drawText3D("Hi", 0);
    EXPECT_EQ(device.draws[0].magFilter, D3DTEXF_POINT) << "unfiltered";
}

TEST_F(FontTest, CentredTextWithALineBreakStartsTheSecondLineAtTheLeftMargin) {
    font.drawText3D("ABCD\nE", textFiltered | textCentred);
    ASSERT_EQ(device.draws.size(), 1u);
    const auto* v = reinterpret_cast<const FontVertex*>(device.draws[0].vertices.data());
    const float w = texelWidth('A') * 0.1f;
    const float h = rowHeight() * 0.1f;
    EXPECT_NEAR(v[0].x, -2.0f * w, 0.05f) << "centred on the widest line";
    EXPECT_NEAR(v[0].y, -h, 0.05f) << "centred on both lines";
    EXPECT_NEAR(v[1].y - v[0].y, h, 0.05f);
    EXPECT_NEAR(v[2].x - v[0].x, w, 0.05f);
    const FontVertex* e = v + 4 * 6;
    EXPECT_NEAR(e[0].x, v[0].x, 1e-4f) << "back to the left margin";
    EXPECT_NEAR(v[0].y - e[0].y, h, 1e-3f) << "one row lower";
    EXPECT_EQ(v[0].nz, -1.0f);
    EXPECT_EQ(v[0].z, 0.0f);
}

TEST(FontStateBlocks, RecordingThemLeavesTheScenesStatesAsTheyWere) {
    RecordingDevice device(64, 64);
    TextureFont font("Courier", 18, fontBold);
    ASSERT_EQ(font.createDeviceObjects(&device), 0);
    device.SetRenderState(D3DRS_ZENABLE, TRUE);
    device.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    ASSERT_EQ(font.createVolatileObjects(), 0);
    EXPECT_EQ(device.state().renderStates[D3DRS_ZENABLE], DWORD(TRUE));
    EXPECT_EQ(device.state().renderStates[D3DRS_CULLMODE], D3DCULL_NONE);
    EXPECT_EQ(device.state().renderStates[D3DRS_ALPHABLENDENABLE], DWORD(FALSE));
    EXPECT_EQ(device.state().stageStates[0][D3DTSS_MINFILTER], D3DTEXF_LINEAR);
    EXPECT_EQ(device.boundTexture(0), nullptr);
    font.destroy();
}

TEST(FontDeviceObjects, MadeAgainWithoutBeingReleasedLeakNothing) {
    RecordingDevice device(64, 64);
    TextureFont font("Courier", 18, fontBold);
    ASSERT_EQ(font.createDeviceObjects(&device), 0);
    ASSERT_EQ(font.createVolatileObjects(), 0);
    ASSERT_EQ(font.createVolatileObjects(), 0);
    ASSERT_EQ(font.createDeviceObjects(&device), 0);
    EXPECT_EQ(device.liveObjects, 1) << "one glyph texture";
    font.destroy();
    EXPECT_EQ(device.liveObjects, 0);
}

TEST(FontWithoutDevice, DrawingFailsAndTouchesNothing) {
    TextureFont font("Courier", 18, fontBold);
    EXPECT_EQ(font.drawText3D("text", textFiltered), E_FAIL);
    EXPECT_EQ(font.releaseVolatileObjects(), 0);
    EXPECT_EQ(font.destroyDeviceObjects(), 0);
}

TEST(FontOnSmallTextures, ShrinksTheTextureAndTheGlyphs) {
    RecordingDevice device(64, 64);
    device.maxTextureWidth = 128;
    TextureFont font("Courier", 18, fontBold);
    ASSERT_EQ(font.createDeviceObjects(&device), 0);
    EXPECT_EQ(font.textureWidth(), 128u);
    EXPECT_FLOAT_EQ(font.textureScale(), 0.5f);
    const GlyphEntry& blank = font.glyph(' ');
    EXPECT_LT((blank.bottom - blank.top) * 128, 20.0f);
    font.destroy();
    EXPECT_EQ(device.liveObjects, 0);
}

TEST(FontStateBlocks, AreDeletedWhenTheVolatileObjectsGo) {
    RecordingDevice device(64, 64);
    TextureFont font("Courier", 18, fontBold);
    ASSERT_EQ(font.createDeviceObjects(&device), 0);
    ASSERT_EQ(font.createVolatileObjects(), 0);
    EXPECT_EQ(device.liveObjects, 2) << "the glyph texture and the batch buffer";
    font.releaseVolatileObjects();
    EXPECT_EQ(device.DeleteStateBlock(1), D3DERR_INVALIDCALL) << "the saved block is gone";
    EXPECT_EQ(device.DeleteStateBlock(2), D3DERR_INVALIDCALL) << "the text block is gone";
    EXPECT_EQ(device.liveObjects, 1);
    font.destroy();
    EXPECT_EQ(device.liveObjects, 0);
}

}  // namespace
