// Each player's scores and options live in the player's own data folder once the installed
// game names one; the working directory (the media folder then) is left alone.
#include <gtest/gtest.h>

#include <cstring>

#include "game/flow/data_file.h"
#include "game/flow/high_scores.h"
#include "game/flow/options.h"
#include "tests/flow/temp_directory.h"

class PlayerDataFolder : public InTempDirectory {
protected:
    void SetUp() override {
        InTempDirectory::SetUp();
        std::filesystem::create_directory("player");
        setPlayerDataFolder((std::filesystem::current_path() / "player").string());
    }
    void TearDown() override {
        setPlayerDataFolder("");
        InTempDirectory::TearDown();
    }
};

TEST_F(PlayerDataFolder, FileNamesLieInsideTheFolderWithOrWithoutATrailingSlash) {
    setPlayerDataFolder("/home/ann/.local/share/kolvane");
    EXPECT_EQ(playerDataFile("scores.dat"), "/home/ann/.local/share/kolvane/scores.dat");
    setPlayerDataFolder("/home/ann/.local/share/kolvane/");
    EXPECT_EQ(playerDataFile("scores.dat"), "/home/ann/.local/share/kolvane/scores.dat");
    setPlayerDataFolder("");
    EXPECT_EQ(playerDataFile("scores.dat"), "scores.dat");
}

TEST_F(PlayerDataFolder, OptionsAndScoresAreKeptThereInTheUsualFormats) {
    writeFile("options.dat", "0 0");  // another copy's file in the working directory
    Options options;
    loadOptions(options);
    EXPECT_EQ(options.dynamicBackground, 1);
    EXPECT_TRUE(exists("player/options.dat"));

    options.musicOn = 0;
    saveOptions(options);
    EXPECT_EQ(fileContents("player/options.dat"), "1 0");
    EXPECT_EQ(fileContents("options.dat"), "0 0");

    HighScoreTable table = loadHighScores();
    HighScoreTable lastSeen = table;
    insertScore(table, 0, 0, 1234);
    std::strcpy(tableRow(table, 0, 0).name, "ANN");
    ASSERT_TRUE(saveHighScores(table, lastSeen));
    EXPECT_FALSE(exists("scores.dat"));
    const HighScoreTable reloaded = loadHighScores();
    EXPECT_STREQ(tableRow(reloaded, 0, 0).name, "ANN");
    EXPECT_EQ(tableRow(reloaded, 0, 0).score, 1234);
    EXPECT_EQ(fileContents("player/scores.dat").substr(0, 9), "ANN\n1234\n");
}

TEST_F(PlayerDataFolder, AFolderThatCannotBeUsedLeavesTheDefaultsAndWritesNothing) {
    writeFile("blocked", "a file where the folder would be");
    setPlayerDataFolder((std::filesystem::current_path() / "blocked" / "kolvane").string());
    Options options;
    options.dynamicBackground = 1;
    loadOptions(options);
    EXPECT_EQ(options.dynamicBackground, 1);
    saveOptions(options);

    HighScoreTable table = loadHighScores();
    EXPECT_EQ(tableRow(table, 0, 0).score, 0);
    HighScoreTable lastSeen = table;
    insertScore(table, 0, 0, 99);
    EXPECT_FALSE(saveHighScores(table, lastSeen));
    EXPECT_EQ(fileContents("blocked"), "a file where the folder would be");
    EXPECT_FALSE(exists("options.dat"));
    EXPECT_FALSE(exists("scores.dat"));
}
