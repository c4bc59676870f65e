#include "themes/ThemeLibrary.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

// The list shows theme files only, in the order a person reads them, whatever else the user keeps
// in the folder.
TEST(ThemeLibrary, ListsOnlyThemeFilesInReadingOrder) {
    TempFolder folder;
    for (const char* name : {"b.kbt", "A.KBT", "notes.txt", "kbt", "x.kbt.wav", "folder.kbt/a.wav"})
        folder.writeFile(name, 4);
    EXPECT_EQ(themeFileNames(folder.dir()), (std::vector<std::string>{"A.KBT", "b.kbt"}));
}
