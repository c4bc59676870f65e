// The handheld's sounds as the PC keeps them: only names a file can have, each sound pointed at
// the copy that arrived.
#pragma once

#include "catalog/SoundTheme.h"

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

class StagedFolder;

// Clears every sound whose name is no plain file name ("Sub\Beep", "..\x", "NUL", "a.wav."),
// so that it is never copied; one line of the summary message for each.
std::vector<std::string> dropUnfitNames(SoundTheme& theme);
// Points each sound at its copy in folder, spelled as the file is there; a sound whose copy did
// not arrive is cleared. Returns the events cleared.
std::set<std::string> pointAtCopies(SoundTheme& theme, const std::string& folder);
// A folder beside target made afresh for a transfer's files; raises MessageError saying why not.
void makeStagedFolder(std::optional<StagedFolder>& staged, const std::filesystem::path& target);
// The folder's path as the program's folder texts are: with its trailing separator.
std::string folderText(const std::filesystem::path& folder);
