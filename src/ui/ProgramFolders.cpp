#include "ProgramFolders.h"

#include "files/PcPath.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include <shlobj.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr const char* WelcomeSoundName = "Belltide.wav";

bool canWriteIn(const fs::path& folder) {
    // Permission bits do not tell whether this user, on this file system, may write.
    const fs::path probe = folder / ".belltide-write-probe";
    bool written = static_cast<bool>(std::ofstream(probe));
    std::error_code ignored;
    fs::remove(probe, ignored);
    return written;
}

// Copied aside first, so that an interrupted copy never passes for a whole folder.
void copyUnlessThere(const fs::path& from, const fs::path& to) {
    std::error_code ignored;
    if (fs::exists(to, ignored) || !fs::is_directory(from, ignored))
        return;
    fs::path partial = to;
    partial += ".partial";
    fs::remove_all(partial, ignored);
    std::error_code failed;
    fs::copy(from, partial, fs::copy_options::recursive, failed);
    if (!failed)
        fs::rename(partial, to, failed);
    if (failed)
        fs::remove_all(partial, ignored);
}

} // namespace

const char* const ProgramFolders::InstalledAssetsFromProgram = BELLTIDE_ASSETS_FROM_PROGRAM;

fs::path ProgramFolders::userDataDir() {
#ifdef _WIN32
    // Wide: the account's name may hold letters outside the ANSI code page.
    fs::path roaming;
    PWSTR known = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &known)))
        roaming = known;
    CoTaskMemFree(known);
    if (!roaming.is_absolute())
        if (const wchar_t* appData = _wgetenv(L"APPDATA"))
            roaming = appData;
    return roaming / "Belltide";
#else
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && fs::path(xdg).is_absolute())
        return fs::path(xdg) / "belltide";
    const char* home = std::getenv("HOME");
    return fs::path(home ? home : "") / ".local" / "share" / "belltide";
#endif
}

#ifndef _WIN32
fs::path ProgramFolders::settingsFile() {
    fs::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && fs::path(xdg).is_absolute())
        config = xdg;
    else if (const char* home = std::getenv("HOME"))
        config = fs::path(home) / ".config";
    const fs::path file = config / "belltide" / "belltide.conf", old = config / "Belltide.conf";
    std::error_code ignored;
    if (fs::exists(old, ignored) && !fs::exists(file, ignored)) {
        fs::create_directories(file.parent_path(), ignored);
        fs::rename(old, file, ignored);
    }
    return file;
}
#endif

ProgramFolders ProgramFolders::locate(const std::string& programPath) {
    return locate(programPath, userDataDir());
}

ProgramFolders ProgramFolders::locate(const std::string& programPath, const fs::path& userData) {
    const fs::path programFolder = pcPath(programPath).parent_path();
    const fs::path installedAssets =
        (programFolder / InstalledAssetsFromProgram).lexically_normal();
    std::error_code ignored;
    if (fs::exists(programFolder / InstalledMarker, ignored))
        return {programFolder, userData};
    if (!fs::exists(programFolder / WelcomeSoundName, ignored) &&
        fs::exists(installedAssets / WelcomeSoundName, ignored))
        return {installedAssets, userData};
    if (canWriteIn(programFolder))
        return {programFolder, programFolder};
    return {programFolder, userData};
}

void ProgramFolders::prepare() const {
    std::error_code ignored;
    fs::create_directories(dataDir, ignored);
    copyUnlessThere(assetsDir / "device", dataDir / "device");
    // A theme library that an earlier version kept beside the installed program comes along.
    copyUnlessThere(assetsDir / "themes", dataDir / "themes");
}
