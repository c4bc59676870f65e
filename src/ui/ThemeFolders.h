// The theme library folder and the folder holding the edited theme's wave files.
#pragma once

#include <string>

struct ThemeFolders {
    std::string themesDir; // ends with a separator
    std::string soundsDir; // themesDir + "sounds" + separator

    // The folders beside the program, given the program folder without trailing separator.
    static ThemeFolders besideProgram(const std::string& programFolder);
};
