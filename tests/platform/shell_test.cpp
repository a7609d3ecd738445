#include "platform/shell.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

std::vector<std::string>& openedUrls() {
    static std::vector<std::string> urls;
    return urls;
}

bool recordUrl(const char* url) {
    openedUrls().push_back(url);
    return true;
}

TEST(Shell, TheHelpPageOpensAsAFileAddressInTheWorkingDirectory) {
    openedUrls().clear();
    const UrlOpener previous = setUrlOpener(recordUrl);
    EXPECT_TRUE(openWithShell("help.htm"));
    setUrlOpener(previous);
    ASSERT_EQ(openedUrls().size(), 1u);
    const std::string expected =
        "file://" + (std::filesystem::current_path() / "help.htm").generic_string();
    EXPECT_EQ(openedUrls()[0], expected);
}

TEST(Shell, CharactersAnAddressCannotHoldAreEncoded) {
    const std::filesystem::path before = std::filesystem::current_path();
    const std::filesystem::path odd = std::filesystem::temp_directory_path() / "kolvane help #1";
    std::filesystem::create_directories(odd);
    std::filesystem::current_path(odd);
    const std::string url = workingDirectoryFileUrl("help.htm");
    std::filesystem::current_path(before);
    std::filesystem::remove(odd);
    EXPECT_NE(url.find("/kolvane%20help%20%231/help.htm"), std::string::npos) << url;
    EXPECT_EQ(url.rfind("file:///", 0), 0u);
}

}  // namespace
