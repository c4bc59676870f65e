#include "ThemeFolders.h"

#include "files/PcPath.h"

ThemeFolders ThemeFolders::besideProgram(const std::string& programFolder) {
    ThemeFolders folders;
    folders.themesDir = programFolder + PathSeparator + "themes" + PathSeparator;
    folders.soundsDir = folders.themesDir + "sounds" + PathSeparator;
    return folders;
}
