// What the application object decides before the main window opens.
#pragma once

#include <string>
#include <vector>

class CBelltideApp {
public:
    // The theme path from the text after the program name: one double quote is removed from
    // each end, nothing else is trimmed.
    static std::string startupThemeFromCommandLine(const std::string& commandLine);
    // The text after the program name: the arguments joined by single spaces.
    static std::string joinArguments(const std::vector<std::string>& argumentsAfterProgram);
};
