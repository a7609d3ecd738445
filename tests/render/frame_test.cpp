// What each screen's frame shows, read back from the recording device.
#include "render/game_scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "game/rules/random.h"
#include "render/cell_drawing.h"
#include "render/screens.h"
#include "scene_fixture.h"

namespace {

constexpr float W = static_cast<float>(testWidth);
constexpr float H = static_cast<float>(testHeight);

Cell cellAt(int column, int row, int colour) {
    Cell cell;
    cell.column = column;
    cell.row = row;
    cell.colour = colour;
    return cell;
}

void expectAt(const D3DVECTOR& actual, float x, float y, float z, const char* what) {
    EXPECT_NEAR(actual.x, x, 1e-4f) << what;
    EXPECT_NEAR(actual.y, y, 1e-4f) << what;
    EXPECT_NEAR(actual.z, z, 1e-4f) << what;
}

const DrawnPicture* findPicture(const std::vector<DrawnPicture>& pictures,
                                const std::string& name) {
    for (const DrawnPicture& p : pictures) {
        if (p.name == name) {
            return &p;
        }
    }
    return nullptr;
}

void expectPictureAt(const std::vector<DrawnPicture>& pictures, const std::string& name, float left,
                     float top, float width, float height) {
    const DrawnPicture* p = findPicture(pictures, name);
    ASSERT_NE(p, nullptr) << name;
    EXPECT_NEAR(p->left, left * W, 0.01f) << name;
    EXPECT_NEAR(p->top, top * H, 0.01f) << name;
    EXPECT_NEAR(p->right, (left + width) * W, 0.01f) << name;
    EXPECT_NEAR(p->bottom, (top + height) * H, 0.01f) << name;
    EXPECT_EQ(p->depth, 0.0f) << name;
}

const DrawnText* findText(const std::vector<DrawnText>& texts, const std::string& text) {
    for (const DrawnText& t : texts) {
        if (t.text == text) {
            return &t;
        }
    }
    return nullptr;
}

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override { seedGameRandom(12345); }
    void startPlaying() {
        f.session.gameMode = Original;
        startGame(f.session, f.well, 0.0f);
        f.session.fallSpeed = 2.0f;
    }
    SceneFixture f;
};

// -- The game scene -------------------------------------------------------------------------

TEST_F(FrameTest, SettledCellsShowTheirColoursWhereTheBoardPutsThem) {
    startPlaying();
    f.well.settledCells[0] = cellAt(1, 20, 0);
    f.well.settledCells[1] = cellAt(12, 20, 3);
    f.well.settledCells[2] = cellAt(6, 11, 6);
    f.well.settledCount = 3;
    f.drawFrame(Playing);
    const auto expectCell = [&](int colour, int column, int row) -> D3DXVECTOR3 {
        const std::string mesh = "Graphics\\cell_" + std::to_string(colour + 1) + ".x";
        const std::vector<DrawRecord> draws = f.meshDraws(mesh);
        EXPECT_EQ(draws.size(), 1u) << mesh;
        if (draws.size() != 1) {
            return D3DXVECTOR3();
        }
        EXPECT_TRUE(sameColour(draws[0].material.Diffuse, cellColour(colour)));
        expectAt(translationOf(draws[0].world), column - 6.5f, 10.5f - row, 22.0f, "cell");
        return screenPoint(draws[0], translationOf(draws[0].world));
    };
    const D3DXVECTOR3 bottomLeft = expectCell(0, 1, 20);
    const D3DXVECTOR3 bottomRight = expectCell(3, 12, 20);
    const D3DXVECTOR3 middle = expectCell(6, 6, 11);
    EXPECT_LT(bottomLeft.x, middle.x);
    EXPECT_LT(middle.x, bottomRight.x);
    EXPECT_GT(bottomLeft.y, middle.y) << "larger rows are lower on the screen";
    EXPECT_NEAR(bottomLeft.y, bottomRight.y, 0.01f);
    for (const D3DXVECTOR3& p : {bottomLeft, bottomRight, middle}) {
        EXPECT_GT(p.x, 0.25f * W);
        EXPECT_LT(p.x, 0.75f * W);
        EXPECT_GT(p.y, 0.0f);
        EXPECT_LT(p.y, H);
        EXPECT_GT(p.z, 0.0f);
        EXPECT_LT(p.z, 1.0f);
    }
}

TEST_F(FrameTest, TheWellIsDrawnWithTheFillLightAroundTheCells) {
    startPlaying();
    f.drawFrame(Playing);
    const std::vector<DrawRecord> well = f.meshDraws("Graphics\\glass.x");
    ASSERT_EQ(well.size(), 1u);
    EXPECT_EQ(well[0].lightMask, 0b011u);
    expectAt(translationOf(well[0].world), -6.6f, 5.8f, 22.0f, "well");
    EXPECT_FALSE(f.device.lightEnabled(1));
}

TEST_F(FrameTest, LabelsSitAtTheirFractionsAndTheNumbersBelowThem) {
    startPlaying();
    f.session.level = 3;
    f.session.score = 0;
    f.session.gameClock = 65;
    f.drawFrame(Playing);
    const std::vector<DrawnPicture> pictures = f.pictures();
    expectPictureAt(pictures, "Graphics\\level.bmp", 0.05f, 0.1f, 0.2f, 0.075f);
    expectPictureAt(pictures, "Graphics\\time.bmp", 0.05f, 0.3f, 0.2f, 0.075f);
    expectPictureAt(pictures, "Graphics\\scores.bmp", 0.75f, 0.1f, 0.2f, 0.075f);
    expectPictureAt(pictures, "Graphics\\next.bmp", 0.75f, 0.3f, 0.2f, 0.075f);

    const std::vector<DrawnText> texts = f.texts();
    ASSERT_EQ(texts.size(), 3u);
    struct Expected {
        const char* text;
        float x, y;
        const char* label;
    };
    for (const Expected& e : {Expected{"3", -28, 14, "Graphics\\level.bmp"},
                              Expected{"1:05", -28, 3, "Graphics\\time.bmp"},
                              Expected{"0", 22, 14, "Graphics\\scores.bmp"}}) {
        const DrawnText* t = findText(texts, e.text);
        ASSERT_NE(t, nullptr) << e.text;
        expectAt(translationOf(t->world), e.x, e.y, 60.0f, e.text);
        EXPECT_TRUE(sameColour(t->material.Diffuse, D3DCOLORVALUE{0, 1, 0, 1}));
        EXPECT_EQ(t->firstX, 0.0f) << "left-aligned from its place";
        const DrawnPicture* label = findPicture(pictures, e.label);
        DrawRecord anyDraw = f.meshDraws("Graphics\\glass.x")[0];
        const D3DXVECTOR3 p = screenPoint(anyDraw, translationOf(t->world));
        EXPECT_GT(p.x, label->left) << e.text;
        EXPECT_LT(p.x, label->right) << e.text;
        EXPECT_GT(p.y, label->bottom) << e.text << " stands below its label";
        EXPECT_LT(p.y, label->bottom + 0.12f * H) << e.text;
    }
}

TEST(GameClockText, ShowsMinutesAndTwoDigitSeconds) {
    char text[16];
    const std::pair<int, const char*> cases[] = {
        {0, "0:00"}, {59, "0:59"}, {65, "1:05"}, {600, "10:00"}, {3601, "60:01"}};
    for (const auto& [clock, expected] : cases) {
        formatGameClock(text, sizeof text, clock);
        EXPECT_STREQ(text, expected);
    }
}

TEST_F(FrameTest, ThePreviewStandsRightOfTheWellTheSameWayUp) {
    startPlaying();
    f.session.nextShape = 2;  // (0,0) (1,0) (0,1) (0,2)
    f.session.nextColour = 4;
    f.appTime = 0.0f;
    f.drawFrame(Playing);
    const std::vector<DrawRecord> cells = f.meshDraws("Graphics\\cell_5.x");
    ASSERT_EQ(cells.size(), 4u);
    expectAt(translationOf(cells[0].world), 10.0f, 1.0f, 22.0f, "offset (0, 0)");
    expectAt(translationOf(cells[1].world), 11.0f, 1.0f, 22.0f, "offset (1, 0)");
    expectAt(translationOf(cells[3].world), 10.0f, -1.0f, 22.0f, "offset (0, 2) hangs down");
}

TEST_F(FrameTest, APieceMidRotationSwingsAboutItsFirstCell) {
    startPlaying();
    ASSERT_TRUE(spawnPiece(f.well, 1, 6, 5, 2));  // the bar: (6,5) (6,4) (6,6) (6,7)
    for (Cell& cell : f.well.piece) {
        cell.rotating = 1;
        cell.rotateProgress = 0.0f;
    }
    f.framesPerSecond = 20.0f;  // a step of 10 / 20: halfway, a turn of pi/4 left to go
    f.drawFrame(Playing);
    const std::vector<DrawRecord> cells = f.meshDraws("Graphics\\cell_3.x");
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_FLOAT_EQ(f.well.piece[0].rotateProgress, 0.5f);
    const float px = cellWorldX(6), py = cellWorldY(5);
    const float c = std::cos(0.7853982f), s = std::sin(0.7853982f);
    for (int k = 0; k < 4; ++k) {
        const float dx = cellWorldX(f.well.piece[k].column) - px;
        const float dy = cellWorldY(f.well.piece[k].row) - py;
        // Row vectors: (dx, dy) times the z rotation gives (dx c - dy s, dx s + dy c).
        expectAt(translationOf(cells[k].world), px + dx * c - dy * s, py + dx * s + dy * c, 22.0f,
                 "turned about cell 0");
    }
}

TEST_F(FrameTest, MovesAndFallsSlideIntoPlaceAndEndAtOnceWithoutAFrameRate) {
    startPlaying();
    ASSERT_TRUE(spawnPiece(f.well, 7, 6, 5, 0));
    movePieceLeft(f.well);
    ASSERT_TRUE(stepPieceDown(f.well));
    f.session.fallSpeed = 6.0f;
    f.framesPerSecond = 24.0f;  // moves: step 0.5; fall: 6 / 24 = 0.25
    f.drawFrame(Playing);
    const std::vector<DrawRecord> cells = f.meshDraws("Graphics\\cell_1.x");
    ASSERT_EQ(cells.size(), 4u);
    expectAt(translationOf(cells[0].world), cellWorldX(5) + 0.5f, cellWorldY(6) + 0.75f, 22.0f,
             "half a column right, three quarters of a row up");

    f.framesPerSecond = 0.0f;
    f.drawFrame(Playing);
    EXPECT_EQ(f.well.piece[0].movingLeft, 0);
    EXPECT_EQ(f.well.piece[0].falling, 0);
    expectAt(translationOf(f.meshDraws("Graphics\\cell_1.x")[0].world), cellWorldX(5),
             cellWorldY(6), 22.0f, "in place");
}

TEST_F(FrameTest, SettledCellsDropAfterARowRemovalOverTwoThirdsOfASecond) {
    startPlaying();
    Cell cell = cellAt(4, 19, 1);
    cell.falling = 1;
    cell.fallProgress = 0.0f;
    f.well.settledCells[0] = cell;
    f.well.settledCount = 1;
    f.framesPerSecond = 3.0f;  // 1.5 / 3: half the drop per frame
    f.drawFrame(Playing);
    expectAt(translationOf(f.meshDraws("Graphics\\cell_2.x")[0].world), cellWorldX(4),
             cellWorldY(19) + 0.5f, 22.0f, "halfway down");
    f.drawFrame(Playing);
    EXPECT_EQ(f.well.settledCells[0].falling, 0);
}

TEST_F(FrameTest, ThePieceAnimatesOnlyWhileItFallsAndTheSettledCellsAlways) {
    startPlaying();
    ASSERT_TRUE(spawnPiece(f.well, 7, 6, 5, 0));
    ASSERT_TRUE(stepPieceDown(f.well));
    Cell cell = cellAt(1, 20, 1);
    cell.falling = 1;
    cell.fallProgress = 0.0f;
    f.well.settledCells[0] = cell;
    f.well.settledCount = 1;
    f.session.fallSpeed = 6.0f;
    f.framesPerSecond = 60.0f;  // piece fall: 6 / 60; settled drop: 1.5 / 60
    f.drawFrame(Playing);
    EXPECT_FLOAT_EQ(f.well.piece[0].fallProgress, 0.1f);
    EXPECT_FLOAT_EQ(f.well.settledCells[0].fallProgress, 0.025f);
    f.well.pieceActive = 0;
    f.drawFrame(Playing);
    EXPECT_FLOAT_EQ(f.well.piece[0].fallProgress, 0.1f) << "no piece falls: none is drawn";
    EXPECT_FLOAT_EQ(f.well.settledCells[0].fallProgress, 0.05f);
}

TEST_F(FrameTest, ARemovedRowFliesTowardsTheViewerAndTheListEmptiesAfterwards) {
    startPlaying();
    for (int column = 1; column <= 12; ++column) {
        f.well.clearedCells[column - 1] = cellAt(column, 20, column % 7);
    }
    f.well.clearedCount = 12;
    f.well.clearProgress = 0.0f;
    f.framesPerSecond = 3.0f;  // 0.5 radians a frame
    f.drawFrame(Playing);
    EXPECT_FLOAT_EQ(f.well.clearProgress, 0.5f);
    const std::vector<DrawRecord> flying = f.meshDraws("Graphics\\cell_4.x");  // column 3 or 10
    ASSERT_FALSE(flying.empty());
    const D3DVECTOR at = translationOf(flying[0].world);
    EXPECT_NEAR(at.y, cellWorldY(20) - 20.0f * (1.0f - std::cos(0.5f)), 1e-4f);
    EXPECT_NEAR(at.z, 22.0f - 20.0f * std::sin(0.5f), 1e-4f);
    f.drawFrame(Playing);
    EXPECT_EQ(f.well.clearedCount, 12) << "c = 1: the last frame of the flight";
    f.drawFrame(Playing);
    EXPECT_EQ(f.well.clearedCount, 0);
    EXPECT_EQ(f.well.clearProgress, 1.0f);
}

TEST_F(FrameTest, BothBonusObjectsSpinAboveTheirCellsUnderAllThreeLights) {
    startPlaying();
    f.session.scoreBonus = BonusObject{1, 3, 7, 0};
    f.session.clearBonus = BonusObject{1, 10, 15, 0};
    f.appTime = 0.25f;
    f.drawFrame(Playing);
    const std::vector<DrawRecord> score = f.meshDraws("Graphics\\bonus.x");
    const std::vector<DrawRecord> clear = f.meshDraws("Graphics\\bonus2.x");
    ASSERT_EQ(score.size(), 1u);
    ASSERT_EQ(clear.size(), 1u);
    expectAt(translationOf(score[0].world), 3 - 6.5f, 10.5f - 7 + 0.55f, 22.0f, "score bonus");
    expectAt(translationOf(clear[0].world), 10 - 6.5f, 10.5f - 15 + 0.55f, 22.0f, "clear bonus");
    EXPECT_EQ(score[0].lightMask, 0b111u);
    EXPECT_FALSE(f.device.lightEnabled(2));
    f.session.scoreBonus.active = 0;
    f.drawFrame(Playing);
    EXPECT_TRUE(f.meshDraws("Graphics\\bonus.x").empty());
}

TEST_F(FrameTest, PausedAndGameOverShowTheWholeGameUnderTheirDisplay) {
    startPlaying();
    f.well.settledCells[0] = cellAt(2, 20, 5);
    f.well.settledCount = 1;
    for (int screen : {Paused, GameOver}) {
        const std::vector<DrawRecord>& draws = f.drawFrame(screen);
        const std::string overlay =
            screen == Paused ? "Graphics\\game_pause.x" : "Graphics\\game_over.x";
        const std::string other =
            screen == Paused ? "Graphics\\game_over.x" : "Graphics\\game_pause.x";
        ASSERT_EQ(f.meshDraws(overlay).size(), 1u);
        EXPECT_TRUE(f.meshDraws(other).empty());
        EXPECT_EQ(draws.back().meshName, overlay) << "drawn last, over the scene";
        EXPECT_EQ(draws.back().lightMask, 0b011u);
        expectAt(translationOf(draws.back().world), 0.0f, 0.0f, 15.0f, "before the well");
        EXPECT_EQ(f.meshDraws("Graphics\\cell_6.x").size(), 1u);
        EXPECT_EQ(f.texts().size(), 3u);
    }
}

TEST_F(FrameTest, AFailedBeginSceneLeavesTheFrameCleared) {
    startPlaying();
    f.device.failBeginScene = true;
    const int scenes = f.device.sceneCount;
    f.drawFrame(Playing);
    EXPECT_TRUE(f.device.draws.empty());
    EXPECT_EQ(f.device.clearCount, 1);
    EXPECT_EQ(f.device.sceneCount, scenes) << "no EndScene";
}

TEST_F(FrameTest, AFailingTransformStopsTheCellsButNotTheFrame) {
    startPlaying();
    for (int i = 0; i < 5; ++i) {
        f.well.settledCells[i] = cellAt(i + 1, 20, 0);
        f.well.settledCells[i].falling = 1;
    }
    f.well.settledCount = 5;
    f.device.failTransformsAfter = 0;  // every world transform fails
    f.drawFrame(Playing);
    EXPECT_TRUE(f.meshDraws("Graphics\\cell_1.x").empty());
    EXPECT_EQ(f.well.settledCells[1].falling, 1) << "cells not drawn did not advance";
    EXPECT_EQ(f.device.sceneCount, 1);
}

// -- Backgrounds ------------------------------------------------------------------------------

// Where in the frame's draws the scrolling planes are.
std::vector<std::size_t> planeDraws(const std::vector<DrawRecord>& draws) {
    std::vector<std::size_t> planes;
    for (std::size_t i = 0; i < draws.size(); ++i) {
        const auto* texture = static_cast<const FakeTexture*>(draws[i].texture);
        if (draws[i].kind == DrawRecord::IndexedPrimitive && texture != nullptr &&
            texture->name.rfind("Graphics\\back_", 0) == 0) {
            planes.push_back(i);
        }
    }
    return planes;
}

TEST_F(FrameTest, TheScrollingPlanesComeAfterTheOpaqueContentAndBeforeEveryText) {
    startPlaying();
    f.gameInfo = readGameInfo("KOLVANE\nEnjoy!");
    for (int screen : {MainMenu, RuleSetMenu, Playing, Paused, HighScores, GameInfo}) {
        f.drawFrame(screen);
        const std::vector<DrawRecord>& draws = f.device.draws;
        const std::vector<std::size_t> planes = planeDraws(draws);
        ASSERT_EQ(planes.size(), 2u) << "screen " << screen;
        EXPECT_EQ(planes[1], planes[0] + 1) << "screen " << screen;
        for (std::size_t i = 0; i < draws.size(); ++i) {
            if (draws[i].alphaBlend != 0) {
                EXPECT_GT(i, planes[1]) << "a text drawn before the planes, screen " << screen;
            }
        }
        EXPECT_GT(planes[0], 0u) << "the screen's opaque content first, screen " << screen;
        EXPECT_EQ(draws[planes[0]].lighting, DWORD(FALSE));
    }
    f.drawFrame(Playing);
    const std::vector<std::size_t> planes = planeDraws(f.device.draws);
    ASSERT_EQ(planes.size(), 2u);
    ASSERT_FALSE(f.meshDraws("Graphics\\glass.x").empty());
    for (std::size_t i = 0; i < f.device.draws.size(); ++i) {
        if (f.device.draws[i].kind == DrawRecord::MeshSubset) {
            EXPECT_LT(i, planes[0]) << "the well, the cells and the preview hide the planes";
        }
    }
    EXPECT_EQ(f.device.state().renderStates[D3DRS_LIGHTING], DWORD(TRUE));
}

TEST_F(FrameTest, TheStillBackgroundFillsTheFourQuartersBehindEverything) {
    startPlaying();
    f.options.dynamicBackground = 0;
    f.drawFrame(Playing);
    const std::vector<DrawnPicture> pictures = f.pictures();
    ASSERT_GE(pictures.size(), 4u);
    struct Quarter {
        const char* name;
        float left, top;
    };
    const Quarter quarters[] = {{"Graphics\\back_static_11.bmp", W / 2, 0},
                                {"Graphics\\back_static_12.bmp", 0, 0},
                                {"Graphics\\back_static_13.bmp", 0, H / 2},
                                {"Graphics\\back_static_14.bmp", W / 2, H / 2}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(pictures[i].name, quarters[i].name);
        EXPECT_EQ(pictures[i].left, quarters[i].left);
        EXPECT_EQ(pictures[i].top, quarters[i].top);
        EXPECT_EQ(pictures[i].right, quarters[i].left + W / 2);
        EXPECT_EQ(pictures[i].bottom, quarters[i].top + H / 2);
        EXPECT_LE(pictures[i].depth, 1.0f) << "inside the depth range: no device clips it";
        EXPECT_EQ(pictures[i].zEnable, DWORD(FALSE)) << "nothing drawn later is hidden";
    }
    EXPECT_EQ(f.device.draws[0].lighting, DWORD(FALSE));
    EXPECT_EQ(f.device.state().renderStates[D3DRS_ZENABLE], DWORD(TRUE));
    EXPECT_EQ(f.device.state().stageStates[0][D3DTSS_MAGFILTER], D3DTEXF_LINEAR);
}

TEST_F(FrameTest, TheScrollingBackgroundDrawsTheVariantsPlanesScrollingApart) {
    startPlaying();
    f.backgroundVariant = 2;
    f.appTime = 0.5f;
    f.drawFrame(Playing);
    const std::vector<std::size_t> planes = planeDraws(f.device.draws);
    ASSERT_EQ(planes.size(), 2u);
    const DrawRecord& upper = f.device.draws[planes[0]];
    const DrawRecord& lower = f.device.draws[planes[1]];
    EXPECT_EQ(upper.kind, DrawRecord::IndexedPrimitive);
    EXPECT_EQ(upper.zEnable, DWORD(TRUE)) << "hidden wherever the scene covers it";
    EXPECT_EQ(static_cast<FakeTexture*>(upper.texture)->name, "Graphics\\back_up_3.bmp");
    EXPECT_EQ(static_cast<FakeTexture*>(lower.texture)->name, "Graphics\\back_down_3.bmp");
    EXPECT_EQ(upper.mipFilter, D3DTEXF_LINEAR);
    EXPECT_EQ(upper.lighting, DWORD(FALSE));
    EXPECT_EQ(f.device.state().stageStates[0][D3DTSS_MIPFILTER], D3DTEXF_POINT);
    const ScrollingPlane& up = f.scene.assets.upperPlanes[2];
    const ScrollingPlane& down = f.scene.assets.lowerPlanes[2];
    EXPECT_FLOAT_EQ(up.scrollOffset, 0.05f) << "the first step makes up for the time since 0";
    EXPECT_FLOAT_EQ(down.scrollOffset, 1.0f) << "below 0 it jumps back by a whole repeat";
    f.appTime = 1.5f;
    const float before = up.scrollOffset;
    const float beforeDown = down.scrollOffset;
    f.drawFrame(Playing);
    EXPECT_NEAR(up.scrollOffset - before, 0.1f, 1e-5f) << "0.1 repeats a second";
    EXPECT_NEAR(down.scrollOffset - beforeDown, -0.1f, 1e-5f) << "the other way";
    EXPECT_EQ(f.scene.assets.upperPlanes[0].lastTime, 0.0f) << "other variants stand still";
}

// -- Menus and lists --------------------------------------------------------------------------

TEST_F(FrameTest, TheMainMenuHighlightsTheSelectedItemWithTwoSpinningCubes) {
    for (int selection = 0; selection < 4; ++selection) {
        f.menuSelection = selection;
        f.drawFrame(MainMenu);
        const std::vector<DrawRecord> cubes = f.meshDraws("Graphics\\cell_2.x");
        int highlightCubes = 0;
        for (const DrawRecord& cube : cubes) {
            const D3DVECTOR at = translationOf(cube.world);
            if (std::fabs(std::fabs(at.x) - 7.5f) < 1e-4f && at.z == 22.0f) {
                EXPECT_NEAR(at.y, 1.8f - 2.7f * selection, 1e-4f);
                ++highlightCubes;
            }
        }
        EXPECT_EQ(highlightCubes, 2);
        const std::vector<DrawnPicture> pictures = f.pictures();
        const char* items[] = {"Graphics\\new_game.bmp", "Graphics\\high_scores.bmp",
                               "Graphics\\game_info.bmp", "Graphics\\exit.bmp"};
        for (int i = 0; i < 4; ++i) {
            expectPictureAt(pictures, items[i], 0.3f, 0.35f + 0.12f * i, 0.4f, 0.1f);
        }
        // The highlight stands beside its item on the screen.
        const D3DXVECTOR3 p = screenPoint(cubes[0], translationOf(cubes[0].world));
        const DrawnPicture* item = findPicture(pictures, items[selection]);
        EXPECT_GT(p.y, item->top - 0.05f * H);
        EXPECT_LT(p.y, item->bottom + 0.05f * H);
    }
}

TEST_F(FrameTest, TheTitleIsLitBrightlyAndTheAmbientComesBack) {
    f.drawFrame(MainMenu);
    const std::vector<DrawRecord> first = f.meshDraws("Graphics\\gamename1.x");
    const std::vector<DrawRecord> second = f.meshDraws("Graphics\\gamename2.x");
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(first[0].ambient, 0x99999999u);
    expectAt(translationOf(first[0].world), -3.0f, 9.0f, 25.0f, "title");
    expectAt(translationOf(second[0].world), 0.0f, 5.0f, 25.0f, "year");
    EXPECT_EQ(f.device.state().renderStates[D3DRS_AMBIENT], 0x33333333u);
}

TEST_F(FrameTest, TheFallingFigureStartsAtTheTopOnASideAndFallsAFramesStep) {
    f.drawFrame(MainMenu);
    const MenuDecoration first = f.scene.menuDecoration;
    EXPECT_EQ(first.decoY, 20.0f);
    EXPECT_TRUE(first.decoX == -12.5f || first.decoX == 12.5f);
    EXPECT_GE(first.decoShape, 1);
    EXPECT_LE(first.decoShape, 7);
    EXPECT_GE(first.decoColour, 0);
    EXPECT_LE(first.decoColour, 6);
    const std::string mesh = "Graphics\\cell_" + std::to_string(first.decoColour + 1) + ".x";
    const std::vector<DrawRecord> cells = f.meshDraws(mesh);
    ASSERT_GE(cells.size(), 4u);
    // The figure is drawn last; the first cell of every shape sits at offset (0, 0).
    expectAt(translationOf(cells[cells.size() - 4].world), first.decoX, 20.0f, 22.0f, "figure");
    f.drawFrame(MainMenu);
    EXPECT_NEAR(f.scene.menuDecoration.decoY, 19.9f, 1e-4f);
    int restarts = 0;
    for (int frame = 0; frame < 2000; ++frame) {
        const float before = f.scene.menuDecoration.decoY;
        f.drawFrame(MainMenu);
        if (f.scene.menuDecoration.decoY > before) {
            ++restarts;
            EXPECT_EQ(f.scene.menuDecoration.decoY, 20.0f);
        }
    }
    EXPECT_GE(restarts, 4);
    f.drawFrame(HighScores);
    f.drawFrame(HighScores);
    const float kept = f.scene.menuDecoration.decoY;
    f.drawFrame(GameInfo);
    EXPECT_EQ(f.scene.menuDecoration.decoY, kept) << "it waits on other screens";
}

TEST_F(FrameTest, TheRuleSetMenuHighlightsTheChosenRuleSet) {
    for (int mode = 0; mode < 3; ++mode) {
        f.session.gameMode = mode;
        f.drawFrame(RuleSetMenu);
        const std::vector<DrawRecord> cubes = f.meshDraws("Graphics\\cell_2.x");
        ASSERT_EQ(cubes.size(), 2u);
        EXPECT_NEAR(translationOf(cubes[0].world).y, 1.8f - 2.7f * mode, 1e-4f);
        const std::vector<DrawnPicture> pictures = f.pictures();
        expectPictureAt(pictures, "Graphics\\select_game.bmp", 0.2f, 0.025f, 0.6f, 0.15f);
        expectPictureAt(pictures, "Graphics\\classic.bmp", 0.3f, 0.35f, 0.4f, 0.1f);
        expectPictureAt(pictures, "Graphics\\crazy.bmp", 0.3f, 0.59f, 0.4f, 0.1f);
    }
}

TEST(HighScoreLine, LeaderDotsFillTheLineToTwentySixCharacters) {
    HighScoreEntry entry;
    char line[80];
    setEntryName(entry, "ANNA");
    entry.score = 1200;
    formatHighScoreLine(line, sizeof line, 0, entry, false);
    EXPECT_STREQ(line, "1  ANNA...............1200");
    EXPECT_EQ(std::strlen(line), 26u);
    formatHighScoreLine(line, sizeof line, 9, entry, false);
    EXPECT_STREQ(line, "10 ANNA...............1200") << "the names line up";

    setEntryName(entry, "ABCDEFGHIJKLMNOPQRS");  // 3 + 19 + 4 = 26: no dots
    formatHighScoreLine(line, sizeof line, 2, entry, false);
    EXPECT_STREQ(line, "3  ABCDEFGHIJKLMNOPQRS1200");
    setEntryName(entry, "ABCDEFGHIJKLMNOPQRSTU");  // 28: two over, two dots
    formatHighScoreLine(line, sizeof line, 2, entry, false);
    EXPECT_STREQ(line, "3  ABCDEFGHIJKLMNOPQRSTU..1200");
}

TEST(HighScoreLine, TheCursorStandsRightBehindTheNameBeingTyped) {
    HighScoreEntry entry;
    char line[80];
    entry.score = 50;
    formatHighScoreLine(line, sizeof line, 4, entry, true);
    EXPECT_STREQ(line, "5  _....................50") << "an empty name: the cursor first";
    setEntryName(entry, "BO");
    formatHighScoreLine(line, sizeof line, 4, entry, true);
    EXPECT_STREQ(line, "5  BO_..................50");
    setEntryName(entry, "ABCDEFGHIJKLMNOPQRSTU");
    entry.score = 1;
    formatHighScoreLine(line, sizeof line, 4, entry, true);
    EXPECT_STREQ(line, "5  ABCDEFGHIJKLMNOPQRSTU_1") << "no dots: the cursor is put in";
    std::memset(entry.name, 'N', sizeof entry.name - 1);
    entry.score = -2000000000;
    formatHighScoreLine(line, 20, 9, entry, true);
    EXPECT_EQ(std::strlen(line), 19u) << "a long line is cut at the buffer";
}

TEST(HighScoreLine, TheLetterAPadIsChoosingStandsInPlaceOfTheCursor) {
    HighScoreEntry entry;
    char line[80];
    entry.score = 50;
    setEntryName(entry, "BO");
    formatHighScoreLine(line, sizeof line, 4, entry, true, 'K');
    EXPECT_STREQ(line, "5  BOK..................50");
    formatHighScoreLine(line, sizeof line, 4, entry, true, '7');
    EXPECT_STREQ(line, "5  BO7..................50");
    formatHighScoreLine(line, sizeof line, 4, entry, true, ' ');
    EXPECT_STREQ(line, "5  BO_..................50") << "a blank chosen shows as the cursor";
    formatHighScoreLine(line, sizeof line, 4, entry, false, 'K');
    EXPECT_STREQ(line, "5  BO...................50") << "only on the line being named";
}

TEST_F(FrameTest, TheHighScoreScreenListsTenCentredLinesAndPulsesTheOneBeingNamed) {
    f.session.gameMode = Crazy;
    for (int row = 0; row < 10; ++row) {
        setEntryName(tableRow(f.highScores, Crazy, row), "PLAYER");
        tableRow(f.highScores, Crazy, row).score = 1000 - 10 * row;
    }
    setEntryName(tableRow(f.highScores, Crazy, 3), "AB");
    f.nameEntry = NameEntry{1, 3};
    f.appTime = 0.5f;
    f.drawFrame(HighScores);
    const std::vector<DrawnPicture> pictures = f.pictures();
    expectPictureAt(pictures, "Graphics\\high_scores.bmp", 0.2f, 0.025f, 0.6f, 0.15f);
    expectPictureAt(pictures, "Graphics\\crazy.bmp", 0.3f, 0.19f, 0.4f, 0.1f);
    expectPictureAt(pictures, "Graphics\\list.bmp", 0.15f, 0.3f, 0.7f, 0.68f);
    const std::vector<DrawnText> texts = f.texts();
    ASSERT_EQ(texts.size(), 10u);
    EXPECT_EQ(texts[0].text, "1  PLAYER.............1000");
    EXPECT_EQ(texts[3].text, "4  AB_.................970");
    EXPECT_EQ(texts[9].text, "10 PLAYER..............910");
    const DrawnPicture* panel = findPicture(pictures, "Graphics\\list.bmp");
    const DrawRecord anyMesh = f.device.draws.front();
    for (int i = 0; i < 10; ++i) {
        expectAt(translationOf(texts[i].world), 0.0f, 7.0f - 3.3f * i, 63.0f, "line");
        EXPECT_LT(texts[i].firstX, 0.0f) << "centred";
        EXPECT_EQ(texts[i].lightMask, 0b011u);
        const D3DXVECTOR3 p = screenPoint(anyMesh, translationOf(texts[i].world));
        EXPECT_GT(p.y, panel->top) << "line " << i << " on the panel";
        EXPECT_LT(p.y, panel->bottom) << "line " << i << " on the panel";
        const D3DCOLORVALUE expected = i == 3
                                           ? D3DCOLORVALUE{0.75f + 0.25f * std::sin(1.5f), 0, 0, 1}
                                           : D3DCOLORVALUE{0.1f, 0.4f, 0.1f, 1};
        EXPECT_TRUE(sameColour(texts[i].material.Diffuse, expected)) << i;
    }
    EXPECT_FALSE(f.device.lightEnabled(1));

    f.session.gameMode = Classic;
    f.nameEntry = NameEntry{};
    f.drawFrame(HighScores);
    EXPECT_NE(findPicture(f.pictures(), "Graphics\\classic.bmp"), nullptr);
    EXPECT_EQ(f.texts()[0].text, "1  ......................0");
}

TEST_F(FrameTest, InformationLinesOnTheFarPlaneStayVisible) {
    f.gameInfo = readGameInfo("KOLVANE\nA falling-blocks game\n\nEnjoy!");
    f.drawFrame(GameInfo);
    const std::vector<DrawnPicture> pictures = f.pictures();
    expectPictureAt(pictures, "Graphics\\game_info.bmp", 0.2f, 0.025f, 0.6f, 0.15f);
    expectPictureAt(pictures, "Graphics\\list.bmp", 0.15f, 0.19f, 0.7f, 0.8f);
    const std::vector<DrawnText> texts = f.texts();
    ASSERT_EQ(texts.size(), 3u) << "the empty line draws nothing";
    EXPECT_EQ(texts[0].text, "KOLVANE");
    EXPECT_EQ(texts[2].text, "Enjoy!");
    const DrawnPicture* panel = findPicture(pictures, "Graphics\\list.bmp");
    for (const DrawRecord& d : f.device.draws) {
        if (d.fvf != fontVertexFvf) {
            continue;
        }
        const D3DVECTOR at = translationOf(d.world);
        EXPECT_EQ(at.z, 95.0f);
        const D3DXVECTOR3 p = screenPoint(d, at);
        EXPECT_LT(p.z, 0.999f) << "clearly inside the far plane";
        EXPECT_GT(p.y, panel->top);
        EXPECT_LT(p.y, panel->bottom);
        EXPECT_NEAR(p.x, W / 2, 0.5f);
        EXPECT_TRUE(sameColour(d.material.Diffuse, D3DCOLORVALUE{0.1f, 0.4f, 0.1f, 1}));
    }
    D3DXMATRIX projection;
    buildProjectionMatrix(projection);
    EXPECT_EQ(std::memcmp(&projection, &f.device.state().projection, sizeof projection), 0)
        << "the projection comes back for the next frame";
}

TEST_F(FrameTest, NothingIsDrawnOutsideTheViewportOnAnyScreen) {
    startPlaying();
    f.session.gameMode = Original;
    f.options.dynamicBackground = 0;
    for (int screen = MainMenu; screen <= GameInfo; ++screen) {
        f.drawFrame(screen);
        for (const DrawnPicture& p : f.pictures()) {
            EXPECT_GE(p.left, 0.0f);
            EXPECT_GE(p.top, 0.0f);
            EXPECT_LE(p.right, W);
            EXPECT_LE(p.bottom, H);
        }
        EXPECT_EQ(f.device.sceneCount, screen - MainMenu + 1);
    }
}

}  // namespace
