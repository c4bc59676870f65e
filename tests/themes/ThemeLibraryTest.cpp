#include "themes/ThemeLibrary.h"

#include "support/ArchiveBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

TEST(ThemeLibrary, ListsThemeFilesOfTheFolderSortedWithoutRegardToCase) {
    TempFolder folder;
    for (const char* name : {"b.kbt", "A.kbt", "D.KBT", "notes.txt", "sub/c.kbt", "dir.kbt/x"})
        folder.writeFile(name, 1);
    EXPECT_EQ(themeFileNames(folder.dir()), (std::vector<std::string>{"A.kbt", "b.kbt", "D.KBT"}));
    EXPECT_TRUE(themeFileNames(folder.dir() + "missing").empty());
}

TEST(ThemeLibrary, KnowsAFileUnderAnotherSpellingAndCopiesOnlyWhole) {
    TempFolder folder;
    const std::string theme = folder.writeFile("themes/x.kbt", 5000, 's').string();
    EXPECT_TRUE(isSameFile(theme, folder.anotherSpelling("themes") + "/x.kbt"));
    EXPECT_FALSE(isSameFile(theme, folder.dir() + "missing.kbt"));
    folder.writeFile("target.kbt", 10, 't');
    EXPECT_TRUE(copyThemeFile(theme, folder.dir() + "target.kbt"));
    EXPECT_EQ(readBytes(folder.path() / "target.kbt"), std::string(5000, 's'));
    EXPECT_FALSE(copyThemeFile(folder.dir() + "missing.kbt", folder.dir() + "target.kbt"));
    EXPECT_EQ(readBytes(folder.path() / "target.kbt"), std::string(5000, 's'));
}
