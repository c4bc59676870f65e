// A folder's new content gathered beside it and put in its place whole, with one flush of the
// disk for the whole set: a stop at any moment leaves the old folder or the new one, never a mix.
#pragma once

#include <filesystem>

class StagedFolder {
public:
    // Makes "<target>.new" afresh, after putting right a swap of target that was stopped.
    // Raises std::filesystem::filesystem_error when it cannot be made.
    explicit StagedFolder(std::filesystem::path target);
    // Hands what is left of the staging folder, the new content or after commit the old, to a
    // removal that the caller does not wait for.
    ~StagedFolder();
    StagedFolder(const StagedFolder&) = delete;
    StagedFolder& operator=(const StagedFolder&) = delete;

    // Where the new content is written.
    const std::filesystem::path& path() const { return m_staging; }
    // Puts everything written there on disk; any thread, before commit. False when that fails.
    [[nodiscard]] bool flush();
    // Flushes unless done, then the new content takes the target's place and the old goes. False,
    // with the target as it was, when it fails.
    [[nodiscard]] bool commit();

private:
    std::filesystem::path m_target;
    std::filesystem::path m_staging;
    bool m_flushed = false;
};

// Puts right what a swap stopped half-way left: the old content back where the new did not
// arrive, leftovers gone or handed to a removal.
void recoverStagedFolder(const std::filesystem::path& target);
