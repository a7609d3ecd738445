#include "game/flow/help.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(HelpPage, OpensHelpHtmOnceThroughTheShell) {
    std::vector<std::string> opened;
    openHelp([&opened](const char* fileName) { opened.emplace_back(fileName); });
    EXPECT_EQ(opened, std::vector<std::string>{"help.htm"});
}
