// Every screen drawn on a real device (HAL: OpenGL, offscreen Mesa; REF when registered) with
// flat-coloured media, and read back as pixels: things are found by their colours where the
// screen's layout puts them.
#include "render/game_scene.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "device_media.h"
#include "game/rules/random.h"
#include "gfx/image.h"
#include "gfx/math.h"
#include "render/cell_drawing.h"
#include "render/texture_font.h"
#include "scene_state.h"

namespace {

constexpr UINT frameWidth = 512;
constexpr UINT frameHeight = 384;
constexpr D3DCOLOR outsideColour = 0xFFFF00FF;

struct Rgb {
    int r, g, b;
};
Rgb rgbOf(std::uint32_t pixel) {
    return Rgb{static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
               static_cast<int>(pixel & 0xFF)};
}

bool near(std::uint32_t pixel, D3DCOLOR expected, int tolerance = 3) {
    const Rgb a = rgbOf(pixel);
    const Rgb b = rgbOf(expected);
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

// A lit cell face shows the channels its colour has switched on brightly and the others dark.
bool showsCellColour(std::uint32_t pixel, int colour) {
    const D3DCOLORVALUE c = deviceCellColour(colour);
    const Rgb p = rgbOf(pixel);
    const auto matches = [](int channel, float on) {
        return on > 0.5f ? channel > 120 : channel < 60;
    };
    return matches(p.r, c.r) && matches(p.g, c.g) && matches(p.b, c.b);
}

bool isTextGreen(std::uint32_t pixel) {
    const Rgb p = rgbOf(pixel);
    return p.g > 120 && p.r < 90 && p.b < 90;
}

struct Pixel {
    int x, y;
};

class DeviceScene : public testing::TestWithParam<D3DDEVTYPE>, public SceneState {
protected:
    void SetUp() override {
        seedGameRandom(7);
        device = createOffscreenDevice(GetParam(), frameWidth, frameHeight);
        ASSERT_NE(device, nullptr) << "no device of this type";
        scene.loaders = deviceMediaLoaders();
        scene.font = &font;
        ASSERT_EQ(createSceneDeviceObjects(scene, device), S_OK);
        ASSERT_EQ(createSceneVolatileObjects(scene), S_OK);
        session.gameMode = Original;
        startGame(session, well, 0.0f);
        appTime = 0.0f;
    }
    void TearDown() override {
        if (device == nullptr) {
            return;
        }
        releaseSceneVolatileObjects(scene);
        destroySceneDeviceObjects(scene);
        font.destroy();
        EXPECT_EQ(device->Release(), 0u);
    }

    const FrameImage& draw(int screen, const char* pictureName = nullptr) {
        drawScene(scene, input(screen));
        device->Present(nullptr, nullptr, nullptr, nullptr);
        frame = FrameImage{};
        EXPECT_EQ(device->readPresentedFrame(&frame), D3D_OK);
        if (pictureName != nullptr) {
            std::filesystem::create_directories("screens");
            writePng(frame, std::string("screens/") + deviceName() + "_" + pictureName + ".png");
        }
        return frame;
    }
    const char* deviceName() const { return GetParam() == D3DDEVTYPE_HAL ? "hal" : "ref"; }

    // Where a world point lands in the frame.
    Pixel pixelOf(float x, float y, float z) const {
        D3DXMATRIX view, projection, both;
        buildViewMatrix(view);
        buildProjectionMatrix(projection);
        D3DXMatrixMultiply(&both, &view, &projection);
        const D3DXVECTOR3 p = transformPoint(both, D3DVECTOR{x, y, z});
        return Pixel{static_cast<int>((p.x + 1.0f) * 0.5f * frameWidth),
                     static_cast<int>((1.0f - p.y) * 0.5f * frameHeight)};
    }
    std::uint32_t at(Pixel p) const { return frame.at(p.x, p.y); }
    std::uint32_t atFraction(float x, float y) const {
        return frame.at(static_cast<UINT>(x * frameWidth), static_cast<UINT>(y * frameHeight));
    }
    int countIn(int left, int top, int right, int bottom, bool (*test)(std::uint32_t)) const {
        int count = 0;
        for (int y = std::max(top, 0); y < std::min(bottom, int(frameHeight)); ++y) {
            for (int x = std::max(left, 0); x < std::min(right, int(frameWidth)); ++x) {
                count += test(frame.at(x, y));
            }
        }
        return count;
    }

    IDirect3DDevice8* device = nullptr;
    TextureFont font{"Courier", 18, fontBold};
    GameScene scene;
    FrameImage frame;
};

TEST_P(DeviceScene, CellsShowTheirColoursWhereTheBoardPutsThem) {
    options.dynamicBackground = 0;
    const int places[7][2] = {{1, 20}, {12, 20}, {6, 10}, {3, 5}, {9, 14}, {12, 1}, {1, 1}};
    for (int k = 0; k < 7; ++k) {
        Cell& cell = well.settledCells[well.settledCount++];
        cell = Cell{};
        cell.column = places[k][0];
        cell.row = places[k][1];
        cell.colour = k;
    }
    draw(Playing, "cells");
    for (int k = 0; k < 7; ++k) {
        const Pixel p =
            pixelOf(cellWorldX(places[k][0]), cellWorldY(places[k][1]), wellDepth - 0.47f);
        EXPECT_TRUE(showsCellColour(at(p), k))
            << "colour " << k << " at column " << places[k][0] << ", row " << places[k][1]
            << ": pixel " << std::hex << at(p);
    }
}

TEST_P(DeviceScene, LabelsSitAtTheirFractionsWithTheirNumbersBelowThem) {
    options.dynamicBackground = 0;
    session.level = 4;
    session.score = 1250;
    session.gameClock = 65;
    draw(Playing, "labels");
    struct Label {
        const char* file;
        float left, top;
        float textX, textY;
    };
    for (const Label& label : {Label{"Graphics\\level.bmp", 0.05f, 0.1f, -28, 14},
                               Label{"Graphics\\time.bmp", 0.05f, 0.3f, -28, 3},
                               Label{"Graphics\\scores.bmp", 0.75f, 0.1f, 22, 14},
                               Label{"Graphics\\next.bmp", 0.75f, 0.3f, 0, 0}}) {
        const D3DCOLOR colour = pictureColour(label.file);
        EXPECT_TRUE(near(atFraction(label.left + 0.01f, label.top + 0.01f), colour)) << label.file;
        EXPECT_TRUE(near(atFraction(label.left + 0.19f, label.top + 0.065f), colour)) << label.file;
        EXPECT_FALSE(near(atFraction(label.left - 0.01f, label.top + 0.03f), colour)) << label.file;
        if (label.textX != 0) {
            const Pixel origin = pixelOf(label.textX, label.textY, 60.0f);
            EXPECT_GT(countIn(origin.x, origin.y - 20, origin.x + 60, origin.y + 2, &isTextGreen),
                      15)
                << "the number of " << label.file << " stands at its place";
        }
    }
}

TEST_P(DeviceScene, TheStillBackgroundFillsTheFourQuarters) {
    options.dynamicBackground = 0;
    draw(GameInfo, "still_background");
    EXPECT_TRUE(near(atFraction(0.02f, 0.02f), pictureColour("Graphics\\back_static_12.bmp")));
    EXPECT_TRUE(near(atFraction(0.98f, 0.02f), pictureColour("Graphics\\back_static_11.bmp")));
    EXPECT_TRUE(near(atFraction(0.02f, 0.98f), pictureColour("Graphics\\back_static_13.bmp")));
    EXPECT_TRUE(near(atFraction(0.98f, 0.98f), pictureColour("Graphics\\back_static_14.bmp")));
    EXPECT_TRUE(near(atFraction(0.45f, 0.1f), pictureColour("Graphics\\game_info.bmp")))
        << "pictures drawn later cover it";
}

TEST_P(DeviceScene, TheScrollingBackgroundShowsBothPlanesOfTheVariant) {
    appTime = 3.0f;
    draw(MainMenu, "scrolling_background");
    EXPECT_TRUE(near(atFraction(0.05f, 0.02f), pictureColour("Graphics\\back_up_1.bmp"), 40))
        << "the ceiling above";
    EXPECT_TRUE(near(atFraction(0.05f, 0.98f), pictureColour("Graphics\\back_down_1.bmp"), 40))
        << "the floor below";
}

TEST_P(DeviceScene, NothingIsDrawnOutsideTheViewport) {
    releaseSceneVolatileObjects(scene);
    const D3DVIEWPORT8 inset{40, 30, frameWidth - 80, frameHeight - 60, 0.0f, 1.0f};
    device->SetViewport(&inset);
    ASSERT_EQ(createSceneVolatileObjects(scene), S_OK);
    for (int n = 0; n < 20; ++n) {
        well.settledCells[well.settledCount++] = Cell{n % 12 + 1, 20 - n / 12, n % 7};
    }
    session.scoreBonus = BonusObject{1, 1, 3, 0};
    gameInfo = readGameInfo("line\nline\nline");
    for (int background : {0, 1}) {
        options.dynamicBackground = background;
        for (int screen = MainMenu; screen <= GameInfo; ++screen) {
            const D3DVIEWPORT8 whole{0, 0, frameWidth, frameHeight, 0.0f, 1.0f};
            device->SetViewport(&whole);
            device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, outsideColour, 1.0f, 0);
            device->SetViewport(&inset);
            draw(screen);
            int outside = 0;
            for (UINT y = 0; y < frameHeight; ++y) {
                for (UINT x = 0; x < frameWidth; ++x) {
                    const bool inside = x >= inset.X && x < inset.X + inset.Width && y >= inset.Y &&
                                        y < inset.Y + inset.Height;
                    if (!inside) {
                        outside += frame.at(x, y) != outsideColour;
                    }
                }
            }
            EXPECT_EQ(outside, 0) << "screen " << screen << ", background " << background;
            EXPECT_NE(frame.at(inset.X + 2, inset.Y + 2), outsideColour) << "screen " << screen;
        }
    }
}

TEST_P(DeviceScene, InformationLinesOnTheFarPlaneAreVisible) {
    options.dynamicBackground = 0;
    gameInfo = readGameInfo("KOLVANE KOLVANE\nWELL\nMMMMMMMMMMMMMMMMMMMM");
    draw(GameInfo, "information");
    const auto darkGreen = [](std::uint32_t pixel) {
        const Rgb p = rgbOf(pixel);
        return p.g > p.r + 20 && p.g > p.b + 20 && p.g < 140;
    };
    for (int line = 0; line < 3; ++line) {
        const Pixel centre = pixelOf(0.0f, 23.0f - 3.2f * line, 95.0f);
        int count = 0;
        for (int y = centre.y - 12; y < centre.y + 12; ++y) {
            for (int x = centre.x - 60; x < centre.x + 60; ++x) {
                count += darkGreen(frame.at(x, y)) &&
                         !near(frame.at(x, y), pictureColour("Graphics\\list.bmp"));
            }
        }
        EXPECT_GT(count, 10) << "line " << line;
    }
}

TEST_P(DeviceScene, TheNameBeingTypedPulsesRed) {
    options.dynamicBackground = 0;
    session.gameMode = Classic;
    setEntryName(tableRow(highScores, Classic, 3), "ZED");
    nameEntry = NameEntry{1, 3};
    appTime = 0.5f;
    draw(HighScores, "high_scores");
    const auto red = [](std::uint32_t pixel) {
        const Rgb p = rgbOf(pixel);
        return p.r > 100 && p.g < 60 && p.b < 60;
    };
    int lineWithRed = -1;
    for (int line = 0; line < 10; ++line) {
        const Pixel centre = pixelOf(0.0f, 7.0f - 3.3f * line, 63.0f);
        int count = 0;
        for (int y = centre.y - 8; y < centre.y + 8; ++y) {
            for (int x = centre.x - 100; x < centre.x + 100; ++x) {
                count += red(frame.at(x, y));
            }
        }
        if (count > 20) {
            EXPECT_EQ(lineWithRed, -1) << "one line only";
            lineWithRed = line;
        }
    }
    EXPECT_EQ(lineWithRed, 3);
}

TEST_P(DeviceScene, PausedAndGameOverDrawTheirDisplayInFrontOfTheWell) {
    options.dynamicBackground = 0;
    draw(Playing);
    const std::uint32_t before = at(pixelOf(0.0f, 0.0f, 15.0f));
    draw(Paused, "paused");
    const std::uint32_t paused = at(pixelOf(0.0f, 0.0f, 15.0f));
    EXPECT_NE(paused, before);
    draw(GameOver, "game_over");
    EXPECT_NE(at(pixelOf(0.0f, 0.0f, 15.0f)), before);
}

std::string deviceTypeName(const testing::TestParamInfo<D3DDEVTYPE>& info) {
    return info.param == D3DDEVTYPE_HAL ? "HAL" : "REF";
}

INSTANTIATE_TEST_SUITE_P(Devices, DeviceScene, testing::Values(D3DDEVTYPE_HAL, D3DDEVTYPE_REF),
                         deviceTypeName);

}  // namespace
