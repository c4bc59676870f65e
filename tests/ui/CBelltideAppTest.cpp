#include "ui/CBelltideApp.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

using Arguments = std::vector<std::string>;

// The arguments as a shell hands them over, a path with spaces split or not, and the theme path
// they name: joined by single spaces, then one double quote taken from each end.
TEST(CBelltideApp, CommandLineNamesTheStartupThemeJoinedWithOneQuoteDroppedFromEachEnd) {
    const std::pair<Arguments, std::string> cases[] = {
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

// A lone option is answered on the terminal as command-line tools do, the help naming the program
// as it is called and the manual where this platform has it; a file whose name begins with a dash,
// or an option beside other arguments, is still a theme.
TEST(CBelltideApp, ALoneOptionIsAnsweredOnTheTerminal) {
    TempFolder folder;
    std::filesystem::current_path(folder.path());
    folder.writeFile("-dash.kbt", 1);
    for (const auto& theme : {Arguments{"-dash.kbt"}, Arguments{"--help", "x.kbt"},
                              Arguments{"-h", "-x"}, Arguments{"x.kbt"}, Arguments{}})
        EXPECT_FALSE(CBelltideApp::terminalAnswer(theme)) << theme.size();
    const std::string usage = CBelltideApp::terminalAnswer({"--help"}).value().text;
#ifdef _WIN32
    const std::string calledAs = "Usage: Belltide.exe [THEME-FILE]\n",
                      manual = "(F1, or the Help menu)", otherManual = "man belltide";
#else
    const std::string calledAs = "Usage: belltide [THEME-FILE]\n", manual = "man belltide",
                      otherManual = "F1";
#endif
    EXPECT_EQ(usage.substr(0, calledAs.size()), calledAs);
    EXPECT_NE(usage.find(manual), std::string::npos) << usage;
    EXPECT_EQ(usage.find(otherManual), std::string::npos) << usage;
    using Answer = std::tuple<const char*, std::string, bool, int>;
    for (const auto& [option, text, toErrorStream, exitStatus] :
         {Answer{"-h", usage, false, 0}, Answer{"-x", ": unknown option \"-x\"\n" + usage, true, 2},
          Answer{"--help.kbt", ": unknown option \"--help.kbt\"\n" + usage, true, 2}}) {
        const auto answer = CBelltideApp::terminalAnswer({option});
        ASSERT_TRUE(answer) << option;
        EXPECT_TRUE(answer->text.ends_with(text)) << answer->text;
        EXPECT_EQ(answer->toErrorStream, toErrorStream) << option;
        EXPECT_EQ(answer->exitStatus, exitStatus) << option;
    }
}
