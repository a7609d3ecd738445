// Every screen of the game drawn with the generated media and information text of the run
// directory, on the OpenGL and the software device, saved as pictures (the README shows them)
// and checked for what does not depend on the art: all media load, each screen is drawn, the
// still background's quarters show their pictures.
#include "render/game_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "game/rules/random.h"
#include "generated_scene.h"
#include "gfx/d3dx.h"
#include "scripted_game.h"

namespace {

class GameScreens : public testing::TestWithParam<D3DDEVTYPE>, public GeneratedScene {
protected:
    GameScreens() : GeneratedScene(GetParam()) {}
    void SetUp() override {
        if (!mediaBuilt()) {
            GTEST_SKIP() << "the media target has not been built";
        }
        ASSERT_TRUE(ready()) << "every media file loads";
        seedGameRandom(99);
        readGeneratedGameInfo();
        session.gameMode = Original;
        appTime = 2.0f;
    }

    // Draws the screen a few frames into its animations and saves it.
    const FrameImage& show(int screen, const std::string& name, int frames = 1) {
        draw(screen, frames);
        EXPECT_TRUE(save(name));
        EXPECT_GT(distinctColours(), 50) << name << " shows something";
        return frame;
    }
    int distinctColours() const {
        std::vector<std::uint32_t> seen;
        for (std::size_t i = 0; i < frame.pixels.size() && seen.size() <= 50; i += 97) {
            if (std::find(seen.begin(), seen.end(), frame.pixels[i]) == seen.end()) {
                seen.push_back(frame.pixels[i]);
            }
        }
        return static_cast<int>(seen.size());
    }
    void setUpGame() {
        setUpBusiestFrame(session, well);
        appTime = 0.2f;
    }
};

TEST_P(GameScreens, MainMenuWithEachItemHighlighted) {
    const char* names[] = {"main_menu_new_game", "main_menu_high_scores", "main_menu_game_info",
                           "main_menu_exit"};
    for (menuSelection = 0; menuSelection < 4; ++menuSelection) {
        backgroundVariant = menuSelection % 3;
        show(MainMenu, names[menuSelection], 40);
    }
}

TEST_P(GameScreens, RuleSetMenu) {
    session.gameMode = Crazy;
    backgroundVariant = 1;
    show(RuleSetMenu, "rule_set_menu", 3);
}

TEST_P(GameScreens, AGameInProgressWithARowFlyingAndBothBonusObjects) {
    setUpGame();
    backgroundVariant = 0;
    show(Playing, "game", 1);
    backgroundVariant = 2;
    setUpGame();
    show(Playing, "game_cave", 6);
}

TEST_P(GameScreens, PausedAndGameOver) {
    setUpGame();
    well.clearedCount = 0;
    well.clearProgress = 1.0f;
    backgroundVariant = 1;
    show(Paused, "paused", 20);
    show(GameOver, "game_over", 20);
}

TEST_P(GameScreens, HighScoresDuringNameEntry) {
    const char* names[] = {"ANNA", "BJORN", "CARLA", "",     "DMITRI",
                           "EVE",  "FINN",  "GRETA", "HUGO", "IDA"};
    for (int row = 0; row < 10; ++row) {
        setEntryName(tableRow(highScores, Original, row), names[row]);
        tableRow(highScores, Original, row).score = 48000 - 4700 * row;
    }
    setEntryName(tableRow(highScores, Original, 3), "PLAY");
    nameEntry = NameEntry{1, 3};
    backgroundVariant = 2;
    show(HighScores, "high_scores", 30);
}

TEST_P(GameScreens, HighScoresWithAPadChoosingTheNextLetter) {
    setEntryName(tableRow(highScores, Original, 0), "KOL");
    tableRow(highScores, Original, 0).score = 1234;
    nameEntry = NameEntry{1, 0, 'V'};
    show(HighScores, "high_scores_pad_letter", 30);
}

TEST_P(GameScreens, InformationScreen) {
    backgroundVariant = 0;
    show(GameInfo, "game_info", 2);
}

TEST_P(GameScreens, TheStillBackgroundShowsItsFourQuarters) {
    options.dynamicBackground = 0;
    show(MainMenu, "still_background", 2);
    const char* files[] = {"Graphics\\back_static_12.bmp", "Graphics\\back_static_11.bmp",
                           "Graphics\\back_static_13.bmp", "Graphics\\back_static_14.bmp"};
    const float corners[4][2] = {{0.02f, 0.02f}, {0.98f, 0.02f}, {0.02f, 0.98f}, {0.98f, 0.98f}};
    for (int q = 0; q < 4; ++q) {
        IDirect3DTexture8* picture = nullptr;
        ASSERT_EQ(D3DXCreateTextureFromFileA(scene.device, files[q], &picture), D3D_OK);
        D3DSURFACE_DESC desc{};
        picture->GetLevelDesc(0, &desc);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(picture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        // The same place in the quarter's own picture: corner fraction within its half.
        const float u = corners[q][0] < 0.5f ? corners[q][0] * 2 : corners[q][0] * 2 - 1;
        const float v = corners[q][1] < 0.5f ? corners[q][1] * 2 : corners[q][1] * 2 - 1;
        const UINT tx = static_cast<UINT>(u * desc.Width);
        const UINT ty = static_cast<UINT>(v * desc.Height);
        const auto texel = [&](UINT x, UINT y) {
            return *reinterpret_cast<const std::uint32_t*>(static_cast<const BYTE*>(locked.pBits) +
                                                           y * locked.Pitch + x * 4);
        };
        const std::uint32_t pixel =
            frame.at(static_cast<UINT>(corners[q][0] * generatedSceneWidth),
                     static_cast<UINT>(corners[q][1] * generatedSceneHeight));
        int best = 1 << 30;
        for (UINT y = ty > 2 ? ty - 2 : 0; y <= std::min(ty + 2, desc.Height - 1); ++y) {
            for (UINT x = tx > 2 ? tx - 2 : 0; x <= std::min(tx + 2, desc.Width - 1); ++x) {
                const std::uint32_t t = texel(x, y);
                int diff = 0;
                for (int shift : {0, 8, 16}) {
                    diff += std::abs(static_cast<int>((t >> shift) & 0xFF) -
                                     static_cast<int>((pixel >> shift) & 0xFF));
                }
                best = std::min(best, diff);
            }
        }
        EXPECT_LE(best, 12) << files[q] << " fills its quarter";
        picture->UnlockRect(0);
        picture->Release();
    }
}

std::string deviceTypeName(const testing::TestParamInfo<D3DDEVTYPE>& info) {
    return info.param == D3DDEVTYPE_HAL ? "HAL" : "REF";
}

INSTANTIATE_TEST_SUITE_P(Devices, GameScreens, testing::Values(D3DDEVTYPE_HAL, D3DDEVTYPE_REF),
                         deviceTypeName);

}  // namespace
