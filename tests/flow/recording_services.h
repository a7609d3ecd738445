// A stand-in for the world outside the game's state: records every sound, music command,
// opened file, window close and save the screens ask for, in order, as short texts.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "game/flow/game_services.h"

class RecordingServices : public GameServices {
public:
    void playSound(int number) override { calls_.push_back("sound " + std::to_string(number)); }
    void stopMusic() override { calls_.push_back("stop music"); }
    void closeMusic() override { calls_.push_back("close music"); }
    void openMusic(const char* fileName) override {
        calls_.push_back(std::string("open music ") + fileName);
    }
    void playMusic() override { calls_.push_back("play music"); }
    void openWithDesktop(const char* fileName) override {
        calls_.push_back(std::string("open ") + fileName);
    }
    void closeMainWindow() override { calls_.push_back("close window"); }
    void saveOptions(const Options& options) override {
        calls_.push_back("save options " + formatOptions(options));
    }
    void saveHighScores(HighScoreTable& table) override {
        savedTable = table;
        calls_.push_back("save scores");
    }

    // The calls since the last take, oldest first; forgets them.
    std::vector<std::string> take() { return std::exchange(calls_, {}); }

    HighScoreTable savedTable;

private:
    std::vector<std::string> calls_;
};
