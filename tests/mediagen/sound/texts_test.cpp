// The game information text and the help page.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tests/mediagen/sound/media_reader.h"
#include "tools/mediagen/media_parts.h"

namespace mediagen::testing {
namespace {

class Texts : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new ScratchFolder("texts");
        written = writeTexts(folder->path());
        info = new std::string(readFileBytes(folder->path() / "gameinfo.txt"));
        help = new std::string(readFileBytes(folder->path() / "help.htm"));
    }
    static void TearDownTestSuite() {
        delete info;
        delete help;
        delete folder;
        folder = nullptr;
    }
    static inline ScratchFolder* folder = nullptr;
    static inline bool written = false;
    static inline std::string* info = nullptr;
    static inline std::string* help = nullptr;
};

// The lines as the game reads them: every line end ends a line, and what follows the last
// one counts as one more line.
std::vector<std::string> linesAsTheGameReadsThem(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    lines.push_back(line);
    return lines;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(Texts, GameInfoFitsTheInformationScreen) {
    ASSERT_TRUE(written);
    ASSERT_FALSE(info->empty());
    EXPECT_EQ(info->back(), '\n');
    EXPECT_FALSE(contains(*info, "\r")) << "lines end with the platform's line end";
    const auto lines = linesAsTheGameReadsThem(*info);
    EXPECT_LE(lines.size(), 100u);
    for (const std::string& line : lines) {
        // The game keeps 49 characters a line, and a line of exactly 49 comes with an empty
        // one after it, pushing the rest down.
        EXPECT_LE(line.size(), 48u) << line;
        EXPECT_TRUE(
            std::all_of(line.begin(), line.end(), [](char c) { return c >= 0x20 && c < 0x7F; }))
            << "the screen font draws printable ASCII only: " << line;
    }
}

// The information screen shows twenty lines inside its panel and does not scroll.
constexpr std::size_t kInfoLinesOnScreen = 20;

TEST_F(Texts, GameInfoIsWhollyOnTheInformationScreen) {
    const auto lines = linesAsTheGameReadsThem(*info);
    std::size_t written = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].empty()) {
            written = i + 1;
        }
    }
    EXPECT_LE(written, kInfoLinesOnScreen) << "line " << written << " lies below the panel";
    EXPECT_GE(written, kInfoLinesOnScreen / 2) << "the screen has its text";
}

TEST_F(Texts, GameInfoTellsTheRulesScoresAndKeysOnItsFirstScreen) {
    const auto lines = linesAsTheGameReadsThem(*info);
    std::string firstScreen;
    for (std::size_t i = 0; i < std::min(kInfoLinesOnScreen, lines.size()); ++i) {
        firstScreen += lines[i] + "\n";
    }
    for (const char* fact :
         {"Classic", "Original", "Crazy", "1 row/s x level", "2 rows/s", "3 rows/s", "90 seconds",
          "100", "250", "400", "600", "500", "50 x old level", "Space", "Esc", "Enter", "keypad 5",
          "bonus object"}) {
        EXPECT_TRUE(contains(firstScreen, fact)) << fact;
    }
}

TEST_F(Texts, BothCreditTheArrangedMelodies) {
    for (const std::string* text : {info, help}) {
        EXPECT_TRUE(contains(*text, "Beethoven"));
        EXPECT_TRUE(contains(*text, "Ode to Joy"));
        EXPECT_TRUE(contains(*text, "Grieg"));
        EXPECT_TRUE(contains(*text, "Mountain King"));
    }
}

TEST_F(Texts, HelpPageIsOneSelfContainedHtmlFile) {
    EXPECT_EQ(help->rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_TRUE(contains(*help, "<style>"));
    EXPECT_TRUE(contains(*help, "</html>"));
    for (const char* outside : {"<link", "<script", "src=", "url(", "http:", "https:"}) {
        EXPECT_FALSE(contains(*help, outside)) << outside;
    }
    for (const char* tag : {"section", "table", "tr", "td", "p", "h2", "div"}) {
        const std::string open = std::string("<") + tag;
        const std::string close = std::string("</") + tag + ">";
        std::size_t opens = 0;
        std::size_t closes = 0;
        for (std::size_t at = 0; (at = help->find(open, at)) != std::string::npos; ++at) {
            const char next = (*help)[at + open.size()];
            opens += next == ' ' || next == '>';
        }
        for (std::size_t at = 0; (at = help->find(close, at)) != std::string::npos; ++at) {
            ++closes;
        }
        EXPECT_EQ(opens, closes) << tag;
    }
}

TEST_F(Texts, HelpPageCoversKeysRuleSetsScoringOptionsAndFiles) {
    for (const char* fact : {"Classic",
                             "Original",
                             "Crazy",
                             "2 &times; level",
                             "250",
                             "400",
                             "600",
                             "500",
                             "0.35 s",
                             "35 rows",
                             "70 rows",
                             "16 characters",
                             "Change video mode...",
                             "Dynamic/static background",
                             "Music on/off",
                             "scores.dat",
                             "options.dat",
                             "gameinfo.txt",
                             "Alt</kbd>+<kbd>Enter",
                             "<kbd>P</kbd>",
                             "keypad <kbd>5</kbd>"}) {
        EXPECT_TRUE(contains(*help, fact)) << fact;
    }
}

}  // namespace
}  // namespace mediagen::testing
