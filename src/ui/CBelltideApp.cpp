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

std::optional<std::string>
CBelltideApp::terminalAnswer(const std::vector<std::string>& argumentsAfterProgram) {
    if (argumentsAfterProgram.size() != 1)
        return std::nullopt;
    if (argumentsAfterProgram[0] == "--version")
        return std::string("Belltide ") + BELLTIDE_VERSION + "\n";
    if (argumentsAfterProgram[0] != "--help")
        return std::nullopt;
#ifdef _WIN32
    return "Usage: Belltide.exe [THEME-FILE]\n"
#else
    return "Usage: belltide [THEME-FILE]\n"
#endif
           "Edits the sound scheme of a Pocket PC handheld: download its sounds, change them,\n"
           "keep them as themes and upload them back.\n"
           "\n"
           "  THEME-FILE  a theme (.kbt) to copy into the theme library and open\n"
           "  --help      show this text and end\n"
           "  --version   show the version and end\n"
           "\n"
#ifdef _WIN32
           "The handheld is the one connected through ActiveSync (Windows XP) or Windows\n"
           "Mobile Device Center (Windows Vista and later); BELLTIDE_DEVICE names a virtual\n"
           "handheld instead. The manual: Help in the program (F1, or the Help menu).\n";
#else
           "The handheld is the folder named by BELLTIDE_DEVICE, else the virtual handheld\n"
           "in Belltide's data folder. The manual: man belltide, or Help in the program.\n";
#endif
}
