#include "ui/ProgramFolders.h"
#include "support/ArchiveBytes.h"
#include "support/Environment.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace fs = std::filesystem;

// A build folder or an unpacked copy holds the welcome sound beside the program and keeps
// everything there. Installed, the data goes to the user's folder: on Linux the assets lie at a
// fixed place from the program; on Windows they stay beside it, and the installer's marker says
// that the folder is not for data.
TEST(ProgramFolders, WhereTheAssetsAndTheDataAreFollowsHowTheProgramWasPut) {
    TempFolder folder;
    const fs::path userData = folder.path() / "user/belltide", bin = folder.path() / "prefix/bin";
    const fs::path installedAssets =
        (bin / ProgramFolders::InstalledAssetsFromProgram).lexically_normal();
    const fs::path wave = bin / "Belltide.wav", installedWave = installedAssets / "Belltide.wav",
                   marker = bin / ProgramFolders::InstalledMarker;
    const std::tuple<const char*, std::vector<fs::path>, fs::path, fs::path> cases[] = {
        {"build folder", {wave}, bin, bin},
        {"build folder in a prefix", {wave, installedWave}, bin, bin},
        {"installed under a prefix", {installedWave}, installedAssets, userData},
        {"installed on Windows", {wave, marker}, bin, userData}};
    for (const auto& [how, files, assets, data] : cases) {
        fs::remove_all(folder.path() / "prefix");
        for (const fs::path& file : files)
            folder.writeFile(pcText(fs::relative(file, folder.path())), 10);
        const auto folders = ProgramFolders::locate(pcText(bin / "belltide"), userData);
        EXPECT_EQ(folders.assetsDir, assets) << how;
        EXPECT_EQ(folders.dataDir, data) << how;
        // Whether the program's folder can be written is tried, and the try leaves nothing.
        EXPECT_EQ(std::count_if(fs::recursive_directory_iterator(folder.path() / "prefix"), {},
                                [](const auto& file) { return file.is_regular_file(); }),
                  std::ssize(files))
            << how;
    }
}

// The first start in a new data folder brings the factory handheld and a theme library that an
// earlier version kept beside the program; a library that is there is the user's and stays as is.
TEST(ProgramFolders, PreparingCopiesTheHandheldAndAnEarlierLibraryOnlyWhereThereIsNone) {
    TempFolder folder;
    folder.writeFile("program/device/registry.reg", 10);
    folder.writeFile("program/themes/mine.kbt", 20);
    folder.writeFile("program/themes/sounds/a.wav", 30);
    const ProgramFolders folders{folder.path() / "program", folder.path() / "user/belltide"};
    folders.prepare();
    EXPECT_EQ(fs::file_size(folders.dataDir / "device/registry.reg"), 10u);
    EXPECT_EQ(fs::file_size(folders.dataDir / "themes/mine.kbt"), 20u);
    EXPECT_EQ(fs::file_size(folders.dataDir / "themes/sounds/a.wav"), 30u);
    EXPECT_EQ(std::distance(fs::directory_iterator(folders.dataDir), {}), 2);

    fs::remove_all(folders.dataDir / "themes");
    fs::create_directory(folders.dataDir / "themes");
    folder.writeFile("program/themes/later.kbt", 5);
    folders.prepare();
    EXPECT_TRUE(fs::is_empty(folders.dataDir / "themes"));
}

#ifdef _WIN32
// The folder that roams with the account, as the shell names it.
TEST(ProgramFolders, TheUserDataFolderIsBelltideInTheRoamingApplicationData) {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    ASSERT_NE(appData, nullptr);
    EXPECT_EQ(ProgramFolders::userDataDir(), fs::path(appData) / "Belltide");
}
#else
// The desktop's rules: XDG_DATA_HOME when it is absolute, else ~/.local/share; the settings get a
// folder of their own in XDG_CONFIG_HOME, where an earlier version's loose file is moved once,
// never over settings already there.
TEST(ProgramFolders, TheUserFoldersFollowTheXdgVariables) {
    const char *data = std::getenv("XDG_DATA_HOME"), *config = std::getenv("XDG_CONFIG_HOME");
    const std::string savedData = data ? data : "", savedConfig = config ? config : "";
    const char* home = std::getenv("HOME");
    setEnvironment("XDG_DATA_HOME", "/xdg/data");
    EXPECT_EQ(ProgramFolders::userDataDir(), fs::path("/xdg/data/belltide"));
    setEnvironment("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(ProgramFolders::userDataDir(),
              fs::path(home ? home : "") / ".local" / "share" / "belltide");
    TempFolder folder;
    setEnvironment("XDG_CONFIG_HOME", pcText(folder.path()));
    const fs::path file = folder.path() / "belltide" / "belltide.conf";
    for (const char* loose : {"[Window]\nMaximized=1\n", "older"}) {
        writeBytes(folder.path() / "Belltide.conf", loose);
        EXPECT_EQ(ProgramFolders::settingsFile(), file);
        EXPECT_EQ(readBytes(file), "[Window]\nMaximized=1\n");
    }
    setEnvironment("XDG_DATA_HOME", savedData);
    setEnvironment("XDG_CONFIG_HOME", savedConfig);
}
#endif
