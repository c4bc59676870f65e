#include "ui/CBelltideApp.h"

#include <gtest/gtest.h>

// The arguments as a shell hands them over, a path with spaces split or not, and the theme path
// they name: joined by single spaces, then one double quote taken from each end.
TEST(CBelltideApp, CommandLineNamesTheStartupThemeJoinedWithOneQuoteDroppedFromEachEnd) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, ""},
        {{"/t/my", "old", "theme.kbt"}, "/t/my old theme.kbt"},
        {{"\"/t/my", "theme.kbt\""}, "/t/my theme.kbt"},
        {{"\"/t/x.kbt"}, "/t/x.kbt"},
        {{"\"\"x.kbt\"\""}, "\"x.kbt\""},
        {{"\""}, ""},
        {{" x.kbt "}, " x.kbt "}};
    for (const auto& [arguments, theme] : cases) {
        const std::string line = CBelltideApp::joinArguments(arguments);
        EXPECT_EQ(CBelltideApp::startupThemeFromCommandLine(line), theme) << line;
    }
}
