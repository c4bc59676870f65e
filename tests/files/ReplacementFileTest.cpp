#include "files/ReplacementFile.h"
#include "device/VirtualHandheld.h"
#include "themes/ThemeLibrary.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

// What a save killed half-way leaves behind goes; a save still running and the user's own
// files stay.
TEST(ReplacementFile, LeftoversOfKilledSavesAreRemovedWhenTheirFolderIsNextUsed) {
    TempFolder folder;
    const std::vector<std::string> kept = {"theme.kbt", ".kbt", "notes.kbt.new-1",
                                           "theme.kbt.new-x-2", "backup.zip.new-1-2"};
    for (const auto& name : kept)
        folder.writeFile(name, 10);
    folder.writeFile("killed.KBT.new-3620-7", 10);
    folder.writeFile("registry.reg", 0);
    folder.writeFile("registry.reg.new-41-0", 10);
    ReplacementFile running((folder.path() / "running.kbt").string());

    EXPECT_EQ(themeFileNames(folder.dir()), std::vector<std::string>{"theme.kbt"});
    EXPECT_FALSE(fs::exists(folder.path() / "killed.KBT.new-3620-7"));
    EXPECT_TRUE(fs::exists(running.path()));
    for (const auto& name : kept)
        EXPECT_TRUE(fs::exists(folder.path() / name)) << name;

    EXPECT_TRUE(fs::exists(folder.path() / "registry.reg.new-41-0"));
    VirtualHandheld device(folder.path());
    EXPECT_GE(device.CeRapiInitEx()->result(), 0);
    EXPECT_FALSE(fs::exists(folder.path() / "registry.reg.new-41-0"));

    std::ofstream(running.path()) << "new";
    ASSERT_TRUE(running.commit());
    EXPECT_EQ(themeFileNames(folder.dir()), (std::vector<std::string>{"running.kbt", "theme.kbt"}));
}

TEST(ReplacementFile, AFailedRenameIsAFailure) {
    TempFolder folder;
    folder.writeFile("taken.kbt/theme.dsc", 1);
    std::string temporary;
    {
        ReplacementFile replacement((folder.path() / "taken.kbt").string());
        temporary = replacement.path();
        std::ofstream(temporary) << "new";
        EXPECT_FALSE(replacement.commit());
    }
    EXPECT_FALSE(fs::exists(temporary));
}
