// Where the installed game looks for its media and keeps each player's files.
#include "platform/game_folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

namespace {

class ScratchTree : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kolvane-folders-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    std::string path(const char* relative) const { return (root_ / relative).string(); }
    void touch(const char* relative) const {
        std::filesystem::create_directories((root_ / relative).parent_path());
        std::ofstream(root_ / relative) << "x";
    }

    std::filesystem::path root_;
};

}  // namespace

TEST(PlayerDataFolderFor, FollowsXdgDataHomeThenTheHomeFolder) {
    EXPECT_EQ(playerDataFolderFor("/data/ann", "/home/ann"), "/data/ann/kolvane");
    EXPECT_EQ(playerDataFolderFor("/data/ann/", "/home/ann"), "/data/ann/kolvane");
    EXPECT_EQ(playerDataFolderFor(nullptr, "/home/ann"), "/home/ann/.local/share/kolvane");
    EXPECT_EQ(playerDataFolderFor("", "/home/ann/"), "/home/ann/.local/share/kolvane");
    // The base-directory rules ignore a relative path.
    EXPECT_EQ(playerDataFolderFor("data", "/home/ann"), "/home/ann/.local/share/kolvane");
    EXPECT_EQ(playerDataFolderFor("data", "home"), "");
    EXPECT_EQ(playerDataFolderFor(nullptr, nullptr), "");
}

TEST_F(ScratchTree, InstalledMediaAreFoundBesideTheProgramsFolder) {
    touch("usr/games/kolvane");
    touch("usr/share/games/kolvane/gameinfo.txt");
    const auto media = installedMediaFolder(path("usr/games/"), "../share/games/kolvane");
    ASSERT_TRUE(media.has_value());
    EXPECT_TRUE(std::filesystem::equivalent(*media, path("usr/share/games/kolvane")));
    EXPECT_TRUE(installedMediaFolder(path("usr/games"), "../share/games/kolvane").has_value());
}

TEST_F(ScratchTree, ABuildTreeOrAnUnknownProgramFolderIsNoInstallation) {
    touch("build/run/kolvane");
    touch("build/run/gameinfo.txt");
    EXPECT_FALSE(installedMediaFolder(path("build/run/"), "../share/games/kolvane"));
    EXPECT_FALSE(installedMediaFolder("", "../share/games/kolvane"));
    // A media folder without its marker file is not taken either.
    std::filesystem::create_directories(root_ / "usr/share/games/kolvane/Graphics");
    EXPECT_FALSE(installedMediaFolder(path("usr/games/"), "../share/games/kolvane"));
}

TEST_F(ScratchTree, PlayerFolderIsMadeWithItsParentsForTheUserAlone) {
    const std::string folder = path("home/ann/.local/share/kolvane");
    ASSERT_TRUE(makeFolder(folder));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(makeFolder(folder));  // a second start finds it there
}

TEST_F(ScratchTree, AFolderThatCannotBeMadeIsReported) {
    touch("home/ann/.local");  // a file where a folder belongs
    EXPECT_FALSE(makeFolder(path("home/ann/.local/share/kolvane")));
    EXPECT_FALSE(makeFolder(""));
}
