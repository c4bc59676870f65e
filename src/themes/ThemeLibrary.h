// The theme library folder: which themes it holds, and copying a theme into it.
#pragma once

#include <string>
#include <vector>

// Names of the *.kbt files in the folder (not its subfolders), sorted without regard to case.
std::vector<std::string> themeFileNames(const std::string& themesDir);
// True when both texts are equal, or both paths exist and name the same file.
bool isSameFile(const std::string& a, const std::string& b);
// Puts a copy of source in target's place; an existing target is replaced only by a complete copy.
[[nodiscard]] bool copyThemeFile(const std::string& source, const std::string& target);
bool equalIgnoringCase(const std::string& a, const std::string& b);
// True when the file name has something before the extension and ends in it, in any case.
bool hasExtension(const std::string& fileName, const std::string& extension);
