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
