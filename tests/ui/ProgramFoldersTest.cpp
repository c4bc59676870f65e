#include "ui/ProgramFolders.h"
#include "support/Environment.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr const char* UserDataVariable = "APPDATA";
constexpr const char* UserDataName = "Belltide";
#else
constexpr const char* UserDataVariable = "XDG_DATA_HOME";
constexpr const char* UserDataName = "belltide";
#endif

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        setEnvironment(name, value);
    }
    ~ScopedEnv() { setEnvironment(m_name, m_old.value_or("")); }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

class ProgramFoldersTest : public ::testing::Test {
protected:
    fs::path userData() const { return folder.path() / "xdg" / UserDataName; }

    TempFolder folder;
    ScopedEnv userDataHome{UserDataVariable, (folder.path() / "xdg").string()};
};

TEST_F(ProgramFoldersTest, BuildFolderKeepsEverythingBesideTheProgram) {
    folder.writeFile("build/Belltide.wav", 10);
    // An installation next to it must not win over the assets beside the program.
    folder.writeFile(
        (fs::path("build") / ProgramFolders::InstalledAssetsFromProgram / "Belltide.wav").string(),
        10);
    const auto folders = ProgramFolders::locate((folder.path() / "build" / "belltide").string());
    EXPECT_EQ(folders.assetsDir, folder.path() / "build");
    EXPECT_EQ(folders.dataDir, folder.path() / "build");
}

TEST_F(ProgramFoldersTest, InstalledProgramKeepsItsDataInTheUsersDataFolder) {
    const fs::path assets =
        (folder.path() / "prefix/bin" / ProgramFolders::InstalledAssetsFromProgram)
            .lexically_normal();
    folder.writeFile(fs::relative(assets / "Belltide.wav", folder.path()).string(), 10);
    const auto folders = ProgramFolders::locate((folder.path() / "prefix/bin/belltide").string());
    EXPECT_EQ(folders.assetsDir, assets);
    EXPECT_EQ(folders.dataDir, userData());
}

TEST_F(ProgramFoldersTest, PrepareCopiesTheFactoryHandheldOnceAndKeepsTheUsersChanges) {
    folder.writeFile("assets/device/registry.reg", 5, 'f');
    folder.writeFile("assets/device/Windows/alarm1.wav", 7);
    const ProgramFolders folders{folder.path() / "assets", userData()};
    folders.prepare();
    EXPECT_EQ(fs::file_size(userData() / "device/Windows/alarm1.wav"), 7u);
    EXPECT_FALSE(fs::exists(userData() / "device.partial"));

    folder.writeFile((fs::path("xdg") / UserDataName / "device/registry.reg").string(), 9, 'u');
    fs::remove(userData() / "device/Windows/alarm1.wav");
    folders.prepare();
    EXPECT_EQ(fs::file_size(userData() / "device/registry.reg"), 9u);
    EXPECT_FALSE(fs::exists(userData() / "device/Windows/alarm1.wav"));
}

} // namespace
