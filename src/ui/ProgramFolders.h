// Where the running program finds its assets and keeps its data: everything beside the program in
// a build folder, or the assets under the install prefix and the data in the user's data folder.
#pragma once

#include <filesystem>
#include <string>

struct ProgramFolders {
    // The installed assets seen from the installed program's folder ("../share/belltide").
    static const char* const InstalledAssetsFromProgram;

    // The welcome sound, the artwork, the help book and the factory virtual handheld.
    std::filesystem::path assetsDir;
    // The theme library and the default virtual handheld; written by the program.
    std::filesystem::path dataDir;

    // programPath is the running executable. Installed (no welcome sound beside the program, but
    // one under ../share/belltide) or beside a program folder that cannot be written, the data
    // lives in userDataDir().
    static ProgramFolders locate(const std::string& programPath);
    // $XDG_DATA_HOME/belltide when that is an absolute path, else $HOME/.local/share/belltide;
    // on Windows %APPDATA%\Belltide.
    static std::filesystem::path userDataDir();

    // Creates dataDir and, when it has no handheld yet, copies the factory handheld from the
    // assets into it. Failures are left for the program to meet later.
    void prepare() const;
};
