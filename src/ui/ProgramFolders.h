// Where the running program finds its assets and keeps its data: everything beside the program in
// a build folder or an unpacked copy, or the assets where they were installed and the data in the
// user's data folder.
#pragma once

#include <filesystem>
#include <string>

struct ProgramFolders {
    // The installed assets seen from the installed program's folder ("../share/belltide").
    static const char* const InstalledAssetsFromProgram;
    // Left beside the program by the Windows installer, whose install folder is not for data.
    static constexpr const char* InstalledMarker = "Belltide.installed";

    // The welcome sound, the artwork, the help book and the factory virtual handheld.
    std::filesystem::path assetsDir;
    // The theme library and the default virtual handheld; written by the program.
    std::filesystem::path dataDir;

    // programPath is the running executable. Installed (the installer's marker beside the
    // program, or no welcome sound beside it but one under ../share/belltide) or beside a program
    // folder that cannot be written, the data lives in userDataDir().
    static ProgramFolders locate(const std::string& programPath);
    static ProgramFolders locate(const std::string& programPath,
                                 const std::filesystem::path& userData);
    // $XDG_DATA_HOME/belltide when that is an absolute path, else $HOME/.local/share/belltide;
    // on Windows the user's roaming application data folder (%APPDATA%) + Belltide.
    static std::filesystem::path userDataDir();
#ifndef _WIN32
    // The settings file: belltide/belltide.conf in $XDG_CONFIG_HOME when that is an absolute
    // path, else in $HOME/.config. A Belltide.conf an earlier version left loose in that folder
    // is moved there, unless there is one already. (Windows keeps them under
    // HKCU\Software\Belltide.)
    static std::filesystem::path settingsFile();
#endif

    // Creates dataDir and, when it has no handheld or theme library yet, copies the factory
    // handheld and a library left beside the assets into it. Failures are left for the program
    // to meet later.
    void prepare() const;
};
