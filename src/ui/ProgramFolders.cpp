#include "ProgramFolders.h"

#include "files/PcPath.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

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

} // namespace

const char* const ProgramFolders::InstalledAssetsFromProgram = BELLTIDE_ASSETS_FROM_PROGRAM;

fs::path ProgramFolders::userDataDir() {
#ifdef _WIN32
    if (const char* appData = std::getenv("APPDATA"); appData && fs::path(appData).is_absolute())
        return fs::path(appData) / "Belltide";
    const char* profile = std::getenv("USERPROFILE");
    return fs::path(profile ? profile : "") / "AppData" / "Roaming" / "Belltide";
#else
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && fs::path(xdg).is_absolute())
        return fs::path(xdg) / "belltide";
    const char* home = std::getenv("HOME");
    return fs::path(home ? home : "") / ".local" / "share" / "belltide";
#endif
}

ProgramFolders ProgramFolders::locate(const std::string& programPath) {
    const fs::path programFolder = pcPath(programPath).parent_path();
    const fs::path installedAssets =
        (programFolder / InstalledAssetsFromProgram).lexically_normal();
    std::error_code ignored;
    if (!fs::exists(programFolder / WelcomeSoundName, ignored) &&
        fs::exists(installedAssets / WelcomeSoundName, ignored))
        return {installedAssets, userDataDir()};
    if (canWriteIn(programFolder))
        return {programFolder, programFolder};
    return {programFolder, userDataDir()};
}

void ProgramFolders::prepare() const {
    std::error_code ignored;
    fs::create_directories(dataDir, ignored);
    if (fs::exists(dataDir / "device", ignored))
        return;
    const fs::path factory = assetsDir / "device";
    if (!fs::is_directory(factory, ignored))
        return;
    // Copied aside first, so that an interrupted copy never passes for a handheld.
    const fs::path partial = dataDir / "device.partial";
    fs::remove_all(partial, ignored);
    std::error_code failed;
    fs::copy(factory, partial, fs::copy_options::recursive, failed);
    if (!failed)
        fs::rename(partial, dataDir / "device", failed);
    if (failed)
        fs::remove_all(partial, ignored);
}
