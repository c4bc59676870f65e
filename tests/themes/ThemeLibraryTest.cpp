#include "themes/ThemeLibrary.h"
#include "files/PcPath.h"

#include "support/ArchiveBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(ThemeLibrary, ListsThemeFilesSortedWithoutRegardToCase) {
    TempFolder folder;
    for (const char* name : {"b.kbt", "A.kbt", "c.kbt", "D.KBT", "notes.txt", "kbt", "x.kbt.bak"})
        folder.writeFile(name, 1);
    fs::create_directories(folder.path() / "folder.kbt");
    folder.writeFile("sub/e.kbt", 1);
    EXPECT_EQ(themeFileNames(folder.dir()),
              (std::vector<std::string>{"A.kbt", "b.kbt", "c.kbt", "D.KBT"}));
    EXPECT_TRUE(themeFileNames((folder.path() / "missing").string()).empty());
}

TEST(ThemeLibrary, RecognisesOneFileUnderAnotherSpelling) {
    TempFolder folder;
    folder.writeFile("themes/x.kbt", 1);
    const std::string plain = (folder.path() / "themes" / "x.kbt").string();
    EXPECT_TRUE(isSameFile(plain, (folder.path() / "themes" / ".." / "themes" / "x.kbt").string()));
    EXPECT_TRUE(isSameFile(plain, folder.anotherSpelling("themes") + PathSeparator + "x.kbt"));
    EXPECT_TRUE(isSameFile(plain, folder.path().string() + "/themes//x.kbt"));
    EXPECT_FALSE(isSameFile(plain, (folder.path() / "y.kbt").string()));
}

TEST(ThemeLibrary, CopyReplacesATargetOnlyWithACompleteCopy) {
    TempFolder folder;
    folder.writeFile("source.kbt", 5000, 's');
    folder.writeFile("target.kbt", 10, 't');
    EXPECT_TRUE(copyThemeFile((folder.path() / "source.kbt").string(),
                              (folder.path() / "target.kbt").string()));
    EXPECT_EQ(readBytes(folder.path() / "target.kbt"), std::string(5000, 's'));
    EXPECT_FALSE(copyThemeFile((folder.path() / "missing.kbt").string(),
                               (folder.path() / "target.kbt").string()));
    EXPECT_EQ(readBytes(folder.path() / "target.kbt"), std::string(5000, 's'));
}
