// What is no longer wanted leaves its place at once and the disk on a thread of its own, so that
// no one waits while the disk frees its room. What a run ends without removing stays in its bin
// until the next run hands something to that bin or empties it.
#pragma once

#include <filesystem>

// Any thread. Moves path, a file or a folder, into bin (a folder beside it, made when missing)
// and removes it from there later; where it cannot be moved, removes it at once. False when it
// is still in its place.
bool removeLater(const std::filesystem::path& path, const std::filesystem::path& bin);
// Any thread. Removes later what lies in bin and is not handed over yet: what an earlier run, or
// another program's, left there.
void emptyBinLater(const std::filesystem::path& bin);
// Any thread. Returns once everything handed over before is gone, and its bin when empty.
void waitForRemovals();
