#include "CBelltideApp.h"

std::string CBelltideApp::startupThemeFromCommandLine(const std::string& commandLine) {
    std::string path = commandLine;
    if (!path.empty() && path.front() == '"')
        path.erase(0, 1);
    if (!path.empty() && path.back() == '"')
        path.pop_back();
    return path;
}

std::string CBelltideApp::joinArguments(const std::vector<std::string>& argumentsAfterProgram) {
    std::string line;
    for (std::size_t i = 0; i < argumentsAfterProgram.size(); ++i) {
        if (i > 0)
            line += ' ';
        line += argumentsAfterProgram[i];
    }
    return line;
}
