#include "ui/CBelltideApp.h"

#include <gtest/gtest.h>

using Arguments = std::vector<std::string>;

// The arguments as a shell hands them over, a path with spaces split or not, and the theme path
// they name: joined by single spaces, then one double quote taken from each end.
TEST(CBelltideApp, StartupThemeJoinsTheArgumentsAndDropsOneQuoteFromEachEnd) {
    const struct {
        Arguments arguments;
        std::string theme;
    } cases[] = {{{}, ""},
                 {{"/t/a b.kbt"}, "/t/a b.kbt"},
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

// Every other command line names a theme, however much it looks like an option.
TEST(CBelltideApp, OnlyALoneHelpOrVersionIsAnswered) {
    EXPECT_EQ(CBelltideApp::terminalAnswer({"--help"}).value_or("").rfind("Usage: belltide ", 0),
              0u);
    EXPECT_EQ(CBelltideApp::terminalAnswer({"--version"}), "Belltide 1.1\n");
    for (const auto& theme : {Arguments{}, Arguments{"--help", "x.kbt"},
                              Arguments{"my", "--version"}, Arguments{"--help.kbt"}})
        EXPECT_FALSE(CBelltideApp::terminalAnswer(theme)) << theme.size();
}
