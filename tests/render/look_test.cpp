// The look of the generated art as a player sees it, measured from the pixels of real frames
// on both devices.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "generated_scene.h"
#include "render/cell_drawing.h"

namespace {

struct Rgb {
    double r = 0, g = 0, b = 0;  // 0..255
};

Rgb rgbOf(std::uint32_t pixel) {
    return Rgb{static_cast<double>((pixel >> 16) & 0xFF), static_cast<double>((pixel >> 8) & 0xFF),
               static_cast<double>(pixel & 0xFF)};
}

// CIE lightness L* (0 black .. 100 white) of an sRGB colour: how light it looks, whatever
// its hue, and so what still tells colours apart for colour-blind players.
double lightnessOf(Rgb c) {
    const auto linear = [](double v) {
        v /= 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    const double y = 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
    return y > 216.0 / 24389.0 ? 116.0 * std::cbrt(y) - 16.0 : y * 24389.0 / 27.0;
}

struct HueSaturation {
    double hue = 0;         // degrees, 0 red, 60 yellow
    double saturation = 0;  // 0 grey .. 1 pure
};

// Of channels in any one scale.
HueSaturation hueSaturationOf(double r, double g, double b) {
    const double high = std::max({r, g, b}), low = std::min({r, g, b});
    HueSaturation hs;
    if (high <= 0 || high == low) {
        return hs;
    }
    hs.saturation = (high - low) / high;
    const double span = high - low;
    if (high == r) {
        hs.hue = 60.0 * std::fmod((g - b) / span + 6.0, 6.0);
    } else if (high == g) {
        hs.hue = 60.0 * ((b - r) / span + 2.0);
    } else {
        hs.hue = 60.0 * ((r - g) / span + 4.0);
    }
    return hs;
}

struct Rect {
    int left, top, right, bottom;  // right and bottom exclusive
};

Rect around(PixelPoint a, PixelPoint b) {
    return Rect{static_cast<int>(std::lround(std::min(a.x, b.x))),
                static_cast<int>(std::lround(std::min(a.y, b.y))),
                static_cast<int>(std::lround(std::max(a.x, b.x))),
                static_cast<int>(std::lround(std::max(a.y, b.y)))};
}

Rect wholeFrame() {
    return Rect{0, 0, static_cast<int>(generatedSceneWidth),
                static_cast<int>(generatedSceneHeight)};
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

double medianLightness(const FrameImage& frame, Rect r) {
    std::vector<double> values;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            values.push_back(lightnessOf(rgbOf(frame.at(x, y))));
        }
    }
    return median(values);
}

// The pixels where two frames of the same moment differ: what one of them drew in addition.
struct Mask {
    std::vector<char> set = std::vector<char>(generatedSceneWidth * generatedSceneHeight, 0);
    std::vector<std::pair<int, int>> pixels;
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;  // inclusive bounds

    bool has(int x, int y) const {
        return x >= 0 && y >= 0 && x < int(generatedSceneWidth) && y < int(generatedSceneHeight) &&
               set[y * generatedSceneWidth + x] != 0;
    }
    int width() const { return pixels.empty() ? 0 : right - left + 1; }
    int height() const { return pixels.empty() ? 0 : bottom - top + 1; }
};

// Whether a pixel of the mask has one outside it within `reach` pixels.
bool nearEdge(const Mask& mask, int x, int y, int reach) {
    for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
            if (!mask.has(x + dx, y + dy)) {
                return true;
            }
        }
    }
    return false;
}

Mask differingPixels(const FrameImage& a, const FrameImage& b, Rect within = wholeFrame()) {
    constexpr double kDifference = 8;
    Mask mask;
    for (int y = std::max(within.top, 0); y < std::min(within.bottom, int(a.height)); ++y) {
        for (int x = std::max(within.left, 0); x < std::min(within.right, int(a.width)); ++x) {
            const Rgb p = rgbOf(a.at(x, y)), q = rgbOf(b.at(x, y));
            if (std::max({std::fabs(p.r - q.r), std::fabs(p.g - q.g), std::fabs(p.b - q.b)}) <=
                kDifference) {
                continue;
            }
            mask.set[y * generatedSceneWidth + x] = 1;
            mask.pixels.emplace_back(x, y);
            mask.left = std::min(mask.left, x);
            mask.right = std::max(mask.right, x);
            mask.top = std::min(mask.top, y);
            mask.bottom = std::max(mask.bottom, y);
        }
    }
    return mask;
}

// The median of each channel over the masked pixels.
Rgb medianColour(const FrameImage& frame, const Mask& mask) {
    std::vector<double> r, g, b;
    for (auto [x, y] : mask.pixels) {
        const Rgb c = rgbOf(frame.at(x, y));
        r.push_back(c.r);
        g.push_back(c.g);
        b.push_back(c.b);
    }
    return Rgb{median(r), median(g), median(b)};
}

constexpr float kCellFront = wellDepth - 0.47f;
constexpr float kPanelFront = wellDepth + 0.55f;
constexpr float kOverlaySwayRate = 5.0f / 7.0f;
constexpr float kHalfPi = 1.5707964f;

// One frame of `screen` at the moment `t`, on the still background and with the menu's
// falling figure held in one place, so two such frames differ only in what a test changed.
const FrameImage& still(GeneratedScene& game, int screen, float t) {
    game.options.dynamicBackground = 0;
    game.scene.menuDecoration = MenuDecoration{1, 0, 12.5f, 10.0f};
    game.appTime = t;
    return game.draw(screen);
}

// The pixels of the title's first part ("KOLVANE") that its front material draws: those that
// change when that material alone turns black.
Mask titleFrontPixels(GeneratedScene& game, FrameImage& withTitle) {
    withTitle = still(game, MainMenu, 0.0f);
    D3DMATERIAL8& front = game.scene.assets.titleMesh1.materials[0];
    const D3DMATERIAL8 designed = front;
    front = D3DMATERIAL8{};
    const FrameImage blackFront = still(game, MainMenu, 0.0f);
    front = designed;
    return differingPixels(withTitle, blackFront,
                           around(game.pixelOf(-14, 12, 25), game.pixelOf(14, 6.5f, 25)));
}

Rgb titleFrontColour(GeneratedScene& game) {
    FrameImage frame;
    const Mask front = titleFrontPixels(game, frame);
    return medianColour(frame, front);
}

void settle(Well& well, int column, int row, int colour) {
    Cell& cell = well.settledCells[well.settledCount++];
    cell = Cell{};
    cell.column = column;
    cell.row = row;
    cell.colour = colour;
}

// A row of the seven cell colours, columns 3 to 9 of row 11, in an otherwise empty well.
constexpr int kColourRow = 11;
constexpr int kFirstColourColumn = 3;

void fillColourRow(GeneratedScene& game) {
    game.well = Well{};
    for (int colour = 0; colour < cellMeshCount; ++colour) {
        settle(game.well, kFirstColourColumn + colour, kColourRow, colour);
    }
}

// The middle of a cell's front face (or of the panel behind an empty cell), half a cell wide.
Rect cellMiddle(const GeneratedScene& game, int column, int row, float depth) {
    const float x = static_cast<float>(column) - 6.5f, y = 10.5f - static_cast<float>(row);
    return around(game.pixelOf(x - 0.25f, y + 0.25f, depth),
                  game.pixelOf(x + 0.25f, y - 0.25f, depth));
}

struct CellLightness {
    std::array<double, cellMeshCount> cells{};
    double panel = 0;  // the lightest of several empty places
};

CellLightness cellAndPanelLightness(GeneratedScene& game) {
    fillColourRow(game);
    const FrameImage& frame = still(game, Playing, 0.0f);
    CellLightness l;
    for (int colour = 0; colour < cellMeshCount; ++colour) {
        l.cells[colour] = medianLightness(
            frame, cellMiddle(game, kFirstColourColumn + colour, kColourRow, kCellFront));
    }
    for (int row : {2, 8, 14, 19}) {
        for (int column : {1, 4, 6, 9, 12}) {
            l.panel = std::max(l.panel,
                               medianLightness(frame, cellMiddle(game, column, row, kPanelFront)));
        }
    }
    return l;
}

class GeneratedLook : public testing::TestWithParam<D3DDEVTYPE>, public GeneratedScene {
protected:
    GeneratedLook() : GeneratedScene(GetParam()) {}
    void SetUp() override {
        if (!mediaBuilt()) {
            GTEST_SKIP() << "the media target has not been built";
        }
        ASSERT_TRUE(ready()) << "every media file loads";
        session.gameMode = Original;
    }
    void fillWell(int colour) {
        well = Well{};
        for (int row = 1; row <= 20; ++row) {
            for (int column = 1; column <= 12; ++column) {
                settle(well, column, row, colour);
            }
        }
    }
    float cellSize() const {
        return pixelOf(0.5f, 0, wellDepth).x - pixelOf(-0.5f, 0, wellDepth).x;
    }
};

TEST_P(GeneratedLook, TheTitlesFrontFacesShowTheirGoldNotWhite) {
    FrameImage frame;
    const Mask fronts = titleFrontPixels(*this, frame);
    ASSERT_GT(fronts.pixels.size(), 5000u) << "the title is on the menu";
    const Rgb front = medianColour(frame, fronts);
    const D3DCOLORVALUE gold = scene.assets.titleMesh1.materials[0].Diffuse;
    const HueSaturation designed = hueSaturationOf(gold.r, gold.g, gold.b);
    const HueSaturation shown = hueSaturationOf(front.r, front.g, front.b);
    EXPECT_NEAR(shown.hue, designed.hue, 10.0)
        << "front " << front.r << ", " << front.g << ", " << front.b;
    EXPECT_GT(shown.saturation, 0.75 * designed.saturation)
        << "front " << front.r << ", " << front.g << ", " << front.b;
}

TEST_P(GeneratedLook, EveryCellColourIsClearlyLighterThanTheBackPanel) {
    constexpr double kLightnessMargin = 28;
    const CellLightness l = cellAndPanelLightness(*this);
    EXPECT_LT(l.panel, 15) << "the back panel stays dark";
    for (int colour = 0; colour < cellMeshCount; ++colour) {
        EXPECT_GE(l.cells[colour] - l.panel, kLightnessMargin)
            << "cell colour " << colour << ": L* " << l.cells[colour] << " on a panel of L* "
            << l.panel;
    }
}

TEST_P(GeneratedLook, BothBonusObjectsFillAboutEightTenthsOfACellFromEverySide) {
    const int columns[2] = {4, 9};
    constexpr int row = 10;
    const float cell = cellSize();
    struct Extent {
        int width = 0, height = 0;
        std::size_t faceOnArea = 0;
        float middleX = 0, middleY = 0;
    } extents[2];
    for (const float t : {0.0f, 0.2f, 0.4f, 0.6f, 0.8f}) {
        well = Well{};
        session.scoreBonus = BonusObject{0, columns[0], row, 0};
        session.clearBonus = BonusObject{0, columns[1], row, 0};
        const FrameImage without = still(*this, Playing, t);
        session.scoreBonus.active = session.clearBonus.active = 1;
        const FrameImage& with = still(*this, Playing, t);
        for (int object = 0; object < 2; ++object) {
            const float x = static_cast<float>(columns[object]) - 6.5f;
            const float y = 10.5f - static_cast<float>(row);
            const Mask mask = differingPixels(
                with, without,
                around(pixelOf(x - 1, y + 1, wellDepth), pixelOf(x + 1, y - 1, wellDepth)));
            Extent& e = extents[object];
            e.width = std::max(e.width, mask.width());
            e.height = std::max(e.height, mask.height());
            if (t == 0.0f) {
                e.faceOnArea = mask.pixels.size();
                e.middleX = 0.5f * (mask.left + mask.right) - pixelOf(x, y, wellDepth).x;
                e.middleY = 0.5f * (mask.top + mask.bottom) - pixelOf(x, y, wellDepth).y;
            }
        }
    }
    for (int object = 0; object < 2; ++object) {
        const Extent& e = extents[object];
        SCOPED_TRACE("bonus object " + std::to_string(object) + ", a cell " + std::to_string(cell) +
                     " px");
        EXPECT_GE(e.height, 0.72f * cell);
        EXPECT_LE(e.height, 0.9f * cell);
        EXPECT_GE(e.width, 0.72f * cell);
        EXPECT_LE(e.width, 0.9f * cell);
        EXPECT_GE(static_cast<float>(e.faceOnArea), 0.45f * (0.8f * cell) * (0.8f * cell))
            << "too thin to read as special";
        EXPECT_LE(std::fabs(e.middleX), 0.12f * cell);
        EXPECT_LE(std::fabs(e.middleY), 0.12f * cell);
    }
}

TEST_P(GeneratedLook, PausedAndGameOverStayInsideTheWellAsTheySway) {
    const float wellLeft = pixelOf(-6, 0, wellDepth).x, wellRight = pixelOf(6, 0, wellDepth).x;
    for (const int screen : {Paused, GameOver}) {
        // Upright, and turned furthest either way.
        for (const float phase : {0.0f, kHalfPi, 3 * kHalfPi}) {
            const float t = phase / kOverlaySwayRate;
            well = Well{};
            const FrameImage playing = still(*this, Playing, t);
            const Mask overlay = differingPixels(still(*this, screen, t), playing);
            SCOPED_TRACE((screen == Paused ? "PAUSED at t " : "GAME OVER at t ") +
                         std::to_string(t));
            ASSERT_GT(overlay.pixels.size(), 2000u);
            EXPECT_GE(overlay.left, wellLeft);
            EXPECT_LE(overlay.right, wellRight);
        }
    }
}

// The rim is what lies at the edge of the lettering's pixels; it must differ in lightness
// from the cells the lettering covers, for every cell colour.
TEST_P(GeneratedLook, PausedAndGameOverHaveAnOutlineThatStandsOutOverEveryCellColour) {
    constexpr double kOutlineContrast = 25;
    for (const int screen : {Paused, GameOver}) {
        for (int colour = 0; colour < cellMeshCount; ++colour) {
            SCOPED_TRACE(
                (screen == Paused ? "PAUSED over cell colour " : "GAME OVER over cell colour ") +
                std::to_string(colour));
            fillWell(colour);
            const FrameImage playing = still(*this, Playing, 0.0f);
            const FrameImage& over = still(*this, screen, 0.0f);
            const Mask lettering = differingPixels(over, playing);
            std::vector<double> rim, under;
            for (auto [x, y] : lettering.pixels) {
                under.push_back(lightnessOf(rgbOf(playing.at(x, y))));
                if (nearEdge(lettering, x, y, 2)) {
                    rim.push_back(lightnessOf(rgbOf(over.at(x, y))));
                }
            }
            ASSERT_GT(rim.size(), 500u);
            EXPECT_GE(std::fabs(median(rim) - median(under)), kOutlineContrast)
                << "outline L* " << median(rim) << ", cells L* " << median(under);
        }
    }
}

TEST_P(GeneratedLook, TheWholeInformationTextLiesInsideItsPanel) {
    readGeneratedGameInfo();
    int lastWritten = -1;
    for (int i = 0; i < gameInfo.infoLineCount; ++i) {
        if (gameInfo.infoLines[i][0] != '\0') {
            lastWritten = i;
        }
    }
    ASSERT_GE(lastWritten, 10) << "gameinfo.txt has its text";
    const FrameImage withText = still(*this, GameInfo, 0.0f);
    const GameInfoText noText;
    const GameInfoText text = gameInfo;
    gameInfo = noText;
    const Mask drawn = differingPixels(withText, still(*this, GameInfo, 0.0f));
    gameInfo = text;
    // Inside the panel's frame, which the game draws at 0.15 W .. 0.85 W, 0.19 H .. 0.99 H.
    constexpr int kFrame = 8;
    EXPECT_GE(drawn.left, 0.15 * generatedSceneWidth + kFrame);
    EXPECT_LE(drawn.right, 0.85 * generatedSceneWidth - kFrame);
    EXPECT_GE(drawn.top, 0.19 * generatedSceneHeight + kFrame);
    EXPECT_LE(drawn.bottom, 0.99 * generatedSceneHeight - kFrame);
    // The last line with text is on screen where its line puts it.
    const float lastLineY = pixelOf(0, 23.0f - 3.2f * static_cast<float>(lastWritten), 95.0f).y;
    int onLastLine = 0;
    for (auto [x, y] : drawn.pixels) {
        onLastLine += std::fabs(static_cast<float>(y) - lastLineY) < 10.0f;
    }
    EXPECT_GT(onLastLine, 50) << "line " << lastWritten + 1 << " of gameinfo.txt is not shown";
}

std::string deviceTypeName(const testing::TestParamInfo<D3DDEVTYPE>& info) {
    return info.param == D3DDEVTYPE_HAL ? "HAL" : "REF";
}

INSTANTIATE_TEST_SUITE_P(Devices, GeneratedLook, testing::Values(D3DDEVTYPE_HAL, D3DDEVTYPE_REF),
                         deviceTypeName);

// The two devices light the same art alike: the same gold, the same cell lightness.
TEST(GeneratedLookOnBothDevices, TitleAndCellsMatchWithinTheDevicesTolerance) {
    if (!GeneratedScene::mediaBuilt()) {
        GTEST_SKIP() << "the media target has not been built";
    }
    GeneratedScene hal(D3DDEVTYPE_HAL), ref(D3DDEVTYPE_REF);
    ASSERT_TRUE(hal.ready() && ref.ready());
    const Rgb halGold = titleFrontColour(hal), refGold = titleFrontColour(ref);
    EXPECT_NEAR(halGold.r, refGold.r, 8);
    EXPECT_NEAR(halGold.g, refGold.g, 8);
    EXPECT_NEAR(halGold.b, refGold.b, 8);
    const CellLightness halCells = cellAndPanelLightness(hal);
    const CellLightness refCells = cellAndPanelLightness(ref);
    for (int colour = 0; colour < cellMeshCount; ++colour) {
        EXPECT_NEAR(halCells.cells[colour], refCells.cells[colour], 3) << "cell colour " << colour;
    }
    EXPECT_NEAR(halCells.panel, refCells.panel, 3);
}

}  // namespace
