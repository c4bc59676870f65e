#include "ThemeArchive.h"

#include "catalog/MessageError.h"
#include "files/FileCopy.h"
#include "files/FileNames.h"
#include "files/LittleEndian.h"
#include "files/PcPath.h"
#include "files/Utf8Text.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <fstream>
#include <memory>

namespace {

constexpr char Magic[8] = {'Z', 'i', 'm', 'o', 'P', 'A', 'C', 'K'};
constexpr std::size_t NameOffset = 8;
constexpr std::size_t LengthOffset = 264;
using Header = std::array<char, ThemeArchive::HeaderSize>;

// Members are copied in chunks of ChunkSize, but a file stream passes every write of a kilobyte
// or more straight to the system. This collects the chunks into large blocks first.
class BlockWriter : public std::streambuf {
public:
    static constexpr std::size_t BlockSize = 64 * 1024;

    explicit BlockWriter(std::streambuf& file)
        : m_file(file), m_block(std::make_unique_for_overwrite<char[]>(BlockSize)) {
        setp(m_block.get(), m_block.get() + BlockSize);
    }
    ~BlockWriter() override { writeBlock(); }

protected:
    int_type overflow(int_type c) override {
        if (!writeBlock())
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override { return writeBlock() && m_file.pubsync() == 0 ? 0 : -1; }

private:
    bool writeBlock() {
        const std::streamsize pending = pptr() - pbase();
        const bool written = pending == 0 || m_file.sputn(pbase(), pending) == pending;
        setp(m_block.get(), m_block.get() + BlockSize);
        return written;
    }

    std::streambuf& m_file;
    std::unique_ptr<char[]> m_block;
};

MessageError damaged(const std::string& path) {
    return MessageError("The theme file \"" + path + "\" is damaged.");
}

MessageError notOpened(const std::string& path) {
    return MessageError("Could not open file \"" + path + "\".");
}

} // namespace

bool ThemeArchive::isMemberName(const std::string& name) {
    return isPortableFileName(name, NameFieldSize - 1);
}

bool ThemeArchive::create() const {
    std::ofstream archive(pcPath(m_path), std::ios::binary | std::ios::trunc);
    return static_cast<bool>(archive);
}

bool ThemeArchive::addFile(const std::string& folder, const std::string& name) const {
    if (!isMemberName(name))
        return false;
    std::ifstream source(pcPath(folder + name), std::ios::binary | std::ios::ate);
    // A member declares its length before its data: only a source read whole can be written.
    const auto size = static_cast<std::int64_t>(source.tellg());
    // Readers take lengths as signed 32-bit values.
    if (!source || size < 0 || size > INT32_MAX || !source.seekg(0))
        return false;
    std::ofstream archiveFile(pcPath(m_path), std::ios::binary | std::ios::app);
    if (!archiveFile)
        return false;
    BlockWriter block(*archiveFile.rdbuf());
    std::ostream archive(&block);
    const auto length = static_cast<std::uint32_t>(size);
    Header header{};
    std::memcpy(header.data(), Magic, sizeof Magic);
    std::memcpy(header.data() + NameOffset, name.c_str(), name.size() + 1);
    writeLittleEndian(header.data() + LengthOffset, length);
    archive.write(header.data(), static_cast<std::streamsize>(header.size()));
    const bool whole = copyStreamBytes(source, archive, static_cast<std::int32_t>(length));
    archive.flush();
    archiveFile.close();
    return whole && archive && archiveFile;
}

std::vector<ArchiveMember> ThemeArchive::members() const {
    std::ifstream archive(pcPath(m_path), std::ios::binary | std::ios::ate);
    if (!archive)
        throw notOpened(m_path);
    const auto fileSize = static_cast<std::uint64_t>(static_cast<std::int64_t>(archive.tellg()));
    std::vector<ArchiveMember> list;
    std::uint64_t position = 0;
    while (position < fileSize) {
        if (fileSize - position < HeaderSize)
            throw damaged(m_path);
        Header header;
        archive.seekg(static_cast<std::streamoff>(position));
        if (!archive.read(header.data(), static_cast<std::streamsize>(header.size())))
            throw damaged(m_path);
        const char* nameField = header.data() + NameOffset;
        const char* nul = std::find(nameField, nameField + NameFieldSize, '\0');
        if (nul == nameField + NameFieldSize)
            throw damaged(m_path);
        ArchiveMember member;
        // Checked as converted, since that is the name the file gets. It may outgrow the field;
        // only writing is bound by it.
        member.name = asUtf8(std::string(nameField, nul));
        if (!isMemberName(member.name))
            throw damaged(m_path);
        // Lengths are signed: a negative one, as written for an unreadable source, has no data.
        const auto length =
            static_cast<std::int32_t>(readLittleEndian(header.data() + LengthOffset));
        member.dataOffset = position + HeaderSize;
        member.dataLength = length > 0 ? static_cast<std::uint32_t>(length) : 0;
        if (member.dataLength > fileSize - member.dataOffset)
            throw damaged(m_path);
        position = member.dataOffset + member.dataLength;
        list.push_back(std::move(member));
    }
    return list;
}

std::string ThemeArchive::readMember(const ArchiveMember& member) const {
    std::ifstream archive(pcPath(m_path), std::ios::binary);
    std::string bytes(member.dataLength, '\0');
    if (!archive.seekg(static_cast<std::streamoff>(member.dataOffset))
             .read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw notOpened(m_path);
    return bytes;
}

bool ThemeArchive::extractAll(const std::string& folder) const {
    const auto list = members();
    for (const auto& member : list) {
        // A member that cannot be written is a sound the theme would silently lose.
        if (copyFilePart(pcPath(m_path), member.dataOffset, member.dataLength,
                         pcPath(folder + member.name)) != PartCopy::Whole)
            return false;
    }
    return true;
}

bool ThemeArchive::copyStreamBytes(std::istream& in, std::ostream& out, std::int32_t count) {
    std::array<char, ChunkSize> buffer;
    std::int32_t chunk = std::min(count, ChunkSize);
    while (chunk > 0 && in.read(buffer.data(), chunk)) {
        out.write(buffer.data(), chunk);
        count -= chunk;
        chunk = std::min(count, ChunkSize);
    }
    return count <= 0;
}
