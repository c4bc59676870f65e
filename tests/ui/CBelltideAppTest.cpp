#include "ui/CBelltideApp.h"

#include <gtest/gtest.h>

using Arguments = std::vector<std::string>;

// The arguments as a shell hands them over, a path with spaces split or not, and the theme path
// they name: joined by single spaces, then one double quote taken from each end.
TEST(CBelltideApp, CommandLineNamesTheStartupThemeJoinedWithOneQuoteDroppedFromEachEnd) {
    const struct {
        Arguments arguments;
        std::string theme;
    } cases[] = {{{}, ""},
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
    // Only a lone --help or --version is answered on the terminal (the install test reads the
    // answers); every other command line names a theme, however much it looks like an option.
    for (const auto& theme : {Arguments{"--help", "x.kbt"}, Arguments{"my", "--version"},
                              Arguments{"--help.kbt"}, Arguments{}})
        EXPECT_FALSE(CBelltideApp::terminalAnswer(theme)) << theme.size();
}

// The help text names the program as it is called and the manual where this platform has it.
TEST(CBelltideApp, HelpNamesTheProgramAndTheManualOfThePlatform) {
    const std::string help = CBelltideApp::terminalAnswer({"--help"}).value_or("");
#ifdef _WIN32
    const std::string usage = "Usage: Belltide.exe [THEME-FILE]\n",
                      manual = "(F1, or the Help menu)";
    const std::string otherManual = "man belltide";
#else
    const std::string usage = "Usage: belltide [THEME-FILE]\n", manual = "man belltide";
    const std::string otherManual = "F1";
#endif
    EXPECT_EQ(help.substr(0, usage.size()), usage);
    EXPECT_NE(help.find(manual), std::string::npos) << help;
    EXPECT_EQ(help.find(otherManual), std::string::npos) << help;
}
