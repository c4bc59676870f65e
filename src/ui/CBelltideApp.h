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
    // The text to print for a lone "--help" or "--version", after which the program ends;
    // nothing for every other command line, which names a theme.
    static std::optional<std::string>
    terminalAnswer(const std::vector<std::string>& argumentsAfterProgram);
};
