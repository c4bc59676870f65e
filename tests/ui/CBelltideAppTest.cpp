#include "ui/CBelltideApp.h"

#include <gtest/gtest.h>

struct CommandLineCase {
    std::string commandLine;
    std::string startupTheme;
    friend void PrintTo(const CommandLineCase& line, std::ostream* out) {
        *out << line.commandLine;
    }
};

class StartupTheme : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(StartupTheme, RemovesOneQuoteFromEachEndAndNothingElse) {
    EXPECT_EQ(CBelltideApp::startupThemeFromCommandLine(GetParam().commandLine),
              GetParam().startupTheme);
}

INSTANTIATE_TEST_SUITE_P(Quotes, StartupTheme,
                         ::testing::Values(CommandLineCase{"", ""},
                                           CommandLineCase{"/t/a b.kbt", "/t/a b.kbt"},
                                           CommandLineCase{"\"/t/a b.kbt\"", "/t/a b.kbt"},
                                           CommandLineCase{"\"/t/x.kbt", "/t/x.kbt"},
                                           CommandLineCase{"/t/x.kbt\"", "/t/x.kbt"},
                                           CommandLineCase{"\"\"x.kbt\"\"", "\"x.kbt\""},
                                           CommandLineCase{"\"", ""}, CommandLineCase{"\"\"", ""},
                                           CommandLineCase{" x.kbt ", " x.kbt "}));

class TerminalAnswer : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST(TerminalAnswerTest, HelpAndVersionAreAnsweredAlone) {
    const auto help = CBelltideApp::terminalAnswer({"--help"});
    ASSERT_TRUE(help);
    EXPECT_EQ(help->rfind("Usage: belltide [THEME-FILE]\n", 0), 0u);
    EXPECT_EQ(CBelltideApp::terminalAnswer({"--version"}), "Belltide 1.1\n");
}

// Every other command line names a theme, however much it looks like an option.
TEST_P(TerminalAnswer, LeavesThemePathsToTheQuoteRule) {
    EXPECT_FALSE(CBelltideApp::terminalAnswer(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Themes, TerminalAnswer,
                         ::testing::Values(std::vector<std::string>{},
                                           std::vector<std::string>{"--help", "x.kbt"},
                                           std::vector<std::string>{"my", "--version"},
                                           std::vector<std::string>{"\"--help\""},
                                           std::vector<std::string>{"--help.kbt"}));
