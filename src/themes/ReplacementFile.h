// Writes a file beside its target and puts it in the target's place only when it is complete,
// so that a failed write never harms the file that was there.
#pragma once

#include <string>

class ReplacementFile {
public:
    explicit ReplacementFile(std::string target);
    // Removes the temporary file unless it was committed.
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Where to write the new content.
    const std::string& path() const { return m_temporary; }
    // Renames the new content over the target; false when that fails.
    [[nodiscard]] bool commit();

private:
    std::string m_target;
    std::string m_temporary;
    bool m_committed = false;
};
