// The theme library folder: which themes it holds, and copying a theme into it.
#pragma once

#include <string>
#include <vector>

// Names of the *.kbt files in the folder (not its subfolders), sorted without regard to case.
// Temporary files that an interrupted save of a theme left behind are removed first.
std::vector<std::string> themeFileNames(const std::string& themesDir);
// True when both texts are equal, or both paths exist and name the same file.
bool isSameFile(const std::string& a, const std::string& b);
// Puts a copy of source in target's place; an existing target is replaced only by a complete copy.
[[nodiscard]] bool copyThemeFile(const std::string& source, const std::string& target);
