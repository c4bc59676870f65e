#include "ui/ProgramFolders.h"
#include "support/Environment.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

class ProgramFoldersTest : public ::testing::Test {
protected:
    void SetUp() override { setEnvironment("XDG_DATA_HOME", pcText(folder.path() / "xdg")); }
    void TearDown() override { setEnvironment("XDG_DATA_HOME", saved); }
    fs::path userData() const { return folder.path() / "xdg" / "belltide"; }

    const char* env = std::getenv("XDG_DATA_HOME");
    std::string saved = env ? env : "";
    TempFolder folder;
};

// A build folder holds the welcome sound beside the program; an installed program's assets lie
// at a fixed place from it, and its data in the user's data folder.
TEST_F(ProgramFoldersTest, TheWelcomeSoundBesideTheProgramKeepsEverythingThere) {
    const fs::path assets =
        (folder.path() / "prefix/bin" / ProgramFolders::InstalledAssetsFromProgram)
            .lexically_normal();
    folder.writeFile(pcText(fs::relative(assets / "Belltide.wav", folder.path())), 10);
    auto folders = ProgramFolders::locate(pcText(folder.path() / "prefix/bin/belltide"));
    EXPECT_EQ(folders.assetsDir, assets);
    EXPECT_EQ(folders.dataDir, userData());

    folder.writeFile("prefix/bin/Belltide.wav", 10);
    folders = ProgramFolders::locate(pcText(folder.path() / "prefix/bin/belltide"));
    EXPECT_EQ(folders.assetsDir, folder.path() / "prefix/bin");
    EXPECT_EQ(folders.dataDir, folder.path() / "prefix/bin");
}

// Whether the program's folder can be written is tried, and the try leaves nothing behind; a
// relative XDG_DATA_HOME is no data folder, as the desktop's rules say.
TEST_F(ProgramFoldersTest, TheWriteProbeLeavesNoFileAndARelativeDataHomeIsIgnored) {
    folder.writeFile("bin/Belltide.wav", 10);
    EXPECT_EQ(ProgramFolders::locate(pcText(folder.path() / "bin/belltide")).dataDir,
              folder.path() / "bin");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path() / "bin"), {}), 1);
    setEnvironment("XDG_DATA_HOME", "relative/data");
    const char* home = std::getenv("HOME");
    EXPECT_EQ(ProgramFolders::userDataDir(),
              fs::path(home ? home : "") / ".local" / "share" / "belltide");
}
