#include "themes/ThemeLibrary.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

TEST(ThemeLibrary, ListsThemeFilesOfTheFolderSortedWithoutRegardToCase) {
    TempFolder folder;
    for (const char* name : {"b.kbt", "A.kbt", "D.KBT", "notes.txt", "sub/c.kbt", "dir.kbt/x"})
        folder.writeFile(name, 1);
    EXPECT_EQ(themeFileNames(folder.dir()), (std::vector<std::string>{"A.kbt", "b.kbt", "D.KBT"}));
    EXPECT_TRUE(themeFileNames(folder.dir() + "missing").empty());
}
