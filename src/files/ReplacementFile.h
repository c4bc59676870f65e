// Writes a file beside its target and puts it in the target's place only when it is complete and
// on disk, so that neither a failed write, a crash nor a power cut leaves a harmed or empty file.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

class ReplacementFile {
public:
    // Creates the temporary file, held open so that no other program run takes it for a leftover.
    explicit ReplacementFile(std::string target);
    // Removes the temporary file unless it was committed.
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Where to write the new content.
    const std::filesystem::path& path() const { return m_temporary; }
    // Flushes the new content to disk and renames it over the target; false when that fails.
    [[nodiscard]] bool commit();
    // Why the temporary file could not be created, or the commit failed; none otherwise.
    std::error_code error() const { return m_error; }

private:
    void release();

    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    int m_descriptor = -1;
    bool m_committed = false;
    std::error_code m_error;
};

// Why a call on a file failed, as its user can act on it: "the name is too long for the file
// system", "the disk is full"; the system's own words for a rarer error, empty for none.
std::string failureReason(const std::error_code& error);
// The error of the C library's call that just failed (errno).
std::error_code lastSystemError();

// Removes the temporary files of targets named *<extension> in the folder that a killed run left
// behind; those still held by a running save are kept.
void removeLeftoverReplacements(const std::string& folder, const std::string& extension);

// The calls that put a replacement on disk: the new file's data, then after the rename the
// folder's entry. A test may put recorders in their place that call the ones they replace.
struct ReplacementDiskCalls {
    bool (*flushFile)(int descriptor);
    void (*flushFolder)(const std::filesystem::path& folder);
};
ReplacementDiskCalls& replacementDiskCalls();
