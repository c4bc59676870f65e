#include "CBelltideApp.h"

#include "files/PcPath.h"

#include <filesystem>
#include <system_error>

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

namespace {

#ifdef _WIN32
constexpr const char* ProgramName = "Belltide.exe";
#else
constexpr const char* ProgramName = "belltide";
#endif

std::string usage() {
    return std::string("Usage: ") + ProgramName +
           " [THEME-FILE]\n"
           "Edits the sound scheme of a Pocket PC handheld: download its sounds, change them,\n"
           "keep them as themes and upload them back.\n"
           "\n"
           "  THEME-FILE  a theme (.kbt) to copy into the theme library and open\n"
           "  -h, --help  show this text and end\n"
           "  --version   show the version and end\n"
           "\n"
#ifdef _WIN32
           "The handheld is the one connected through Windows Mobile Device Center, the\n"
           "connection software of Windows 7 and later (ActiveSync was Windows XP's);\n"
           "BELLTIDE_DEVICE names a virtual handheld instead. The manual: Help in the\n"
           "program (F1, or the Help menu).\n";
#else
           "The handheld is the one SynCE connects when its library (libsynce.so.0 or\n"
           "librapi.so.2) is installed, else the virtual handheld in Belltide's data folder.\n"
           "  BELLTIDE_DEVICE        a virtual handheld's folder, used instead of any other\n"
           "  BELLTIDE_RAPI_LIBRARY  SynCE's library by another name or path\n"
           "The manual: man belltide, or Help in the program.\n";
#endif
}

} // namespace

std::optional<CBelltideApp::TerminalAnswer>
CBelltideApp::terminalAnswer(const std::vector<std::string>& argumentsAfterProgram) {
    if (argumentsAfterProgram.size() != 1)
        return std::nullopt;
    const std::string& argument = argumentsAfterProgram[0];
    if (argument == "--version")
        return TerminalAnswer{std::string("Belltide ") + BELLTIDE_VERSION + "\n"};
    if (argument == "--help" || argument == "-h")
        return TerminalAnswer{usage()};
    std::error_code error;
    if (argument.empty() || argument.front() != '-' ||
        std::filesystem::exists(pcPath(argument), error))
        return std::nullopt;
    // Exit status 2, as command-line tools answer a misuse.
    return TerminalAnswer{
        std::string(ProgramName) + ": unknown option \"" + argument + "\"\n" + usage(), true, 2};
}
