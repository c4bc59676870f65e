// The .kbt theme archive: members back to back, each a 272-byte header and the file's bytes.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

struct ArchiveMember {
    std::string name;
    std::uint64_t dataOffset = 0;
    std::uint32_t dataLength = 0; // 0 for a member written with an unreadable source
};

class ThemeArchive {
public:
    static constexpr std::size_t HeaderSize = 272;
    static constexpr std::size_t NameFieldSize = 256;
    static constexpr std::int32_t ChunkSize = 2048;

    explicit ThemeArchive(std::string path) : m_path(std::move(path)) {}

    // Creates the archive file, or cuts an existing one to nothing. False when it cannot.
    [[nodiscard]] bool create() const;
    // Appends folder + name as a member called name. False when the source cannot be read whole,
    // the archive cannot be written or the name is no member name.
    [[nodiscard]] bool addFile(const std::string& folder, const std::string& name) const;
    // Every member, after checking the whole archive; a name that is not UTF-8 is read as
    // Windows-1252. Raises "Could not open file" with the path, or the damaged-theme message for a
    // header cut short, a name that is no plain file name, or data that runs past the end of the
    // file.
    std::vector<ArchiveMember> members() const;
    // The member's bytes; raises "Could not open file" with the path when the archive cannot be
    // read.
    std::string readMember(const ArchiveMember& member) const;
    // Writes every member to folder + name; raises as members() does, before writing anything.
    // False when a member could not be written whole (a name the folder refuses, a full disk).
    [[nodiscard]] bool extractAll(const std::string& folder) const;

    // Copies count bytes in chunks of ChunkSize; stops early only when the input fails. False
    // when fewer than count bytes were read.
    static bool copyStreamBytes(std::istream& in, std::ostream& out, std::int32_t count);

    // True for a name every side can hold as a file: no folder of either kind, drive, "..",
    // control or reserved character, Windows device name or trailing dot, and one that fits.
    static bool isMemberName(const std::string& name);

private:
    std::string m_path;
};
