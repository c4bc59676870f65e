// What the application object decides before the main window opens.
#pragma once

#include <optional>
#include <string>
#include <vector>

class CBelltideApp {
public:
    // The theme path from the text after the program name: one double quote is removed from
    // each end, nothing else is trimmed.
    static std::string startupThemeFromCommandLine(const std::string& commandLine);
    // The text after the program name: the arguments joined by single spaces.
    static std::string joinArguments(const std::vector<std::string>& argumentsAfterProgram);
    // What a command line that asks for no window is answered, after which the program ends.
    struct TerminalAnswer {
        std::string text;
        bool toErrorStream = false;
        int exitStatus = 0;
    };
    // The usage for a lone "-h" or "--help", the version for "--version", an error with the
    // usage for any other lone option that is no existing file; nothing for every other command
    // line, which names a theme.
    static std::optional<TerminalAnswer>
    terminalAnswer(const std::vector<std::string>& argumentsAfterProgram);
};
