// Writes a file beside its target and puts it in the target's place only when it is complete and
// on disk, so that neither a failed write, a crash nor a power cut leaves a harmed or empty file.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

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

// The calls that put files on disk: a file's data, a folder's entries, everything written on a
// file system at once, and the close that may be the first to report a failed write. A test may
// put recorders in their place that call the ones they replace.
struct ReplacementDiskCalls {
    bool (*flushFile)(int descriptor);
    void (*flushFolder)(const std::filesystem::path& folder);
    // False when the platform cannot flush a file system as a whole.
    bool (*flushFileSystem)(const std::filesystem::path& anyFolderOnIt);
    bool (*closeFile)(int descriptor);
};
ReplacementDiskCalls& replacementDiskCalls();

// Puts the files written on disk: the file system they lie on at once, one flush of the disk for
// them all, where the platform can; else each file. False when that fails.
[[nodiscard]] bool flushFiles(const std::filesystem::path& folder,
                              const std::vector<std::filesystem::path>& files);
// Sets a file just written on its way to the disk without waiting, so that the flush of its set
// finds it mostly written while the next files are made; nothing where the system cannot.
void startWriting(const std::filesystem::path& file);
