#include "FileCopy.h"

#include "files/ReplacementFile.h"

#include <algorithm>
#include <memory>
#include <utility>

#ifdef __linux__
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#else
#include <fstream>
#endif

namespace {

constexpr std::size_t BufferBytes = 1u << 20;

#ifdef __linux__
class Descriptor {
public:
    explicit Descriptor(int descriptor) : m_descriptor(descriptor) {}
    ~Descriptor() {
        if (m_descriptor != -1)
            ::close(m_descriptor);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_descriptor; }
    // Some file systems report a failed write only here.
    bool close() { return replacementDiskCalls().closeFile(std::exchange(m_descriptor, -1)); }

private:
    int m_descriptor;
};

// Through a buffer, for file systems the kernel cannot copy between.
bool copyThroughBuffer(int from, off_t offset, std::uint64_t count, int to) {
    const auto buffer = std::make_unique_for_overwrite<char[]>(
        static_cast<std::size_t>(std::min<std::uint64_t>(count, BufferBytes)));
    while (count > 0) {
        const ssize_t read =
            ::pread(from, buffer.get(), std::min<std::uint64_t>(count, BufferBytes), offset);
        if (read <= 0) {
            if (read == -1 && errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t written = 0; written < read;) {
            const ssize_t part = ::write(to, buffer.get() + written, read - written);
            if (part == -1 && errno != EINTR)
                return false;
            written += std::max<ssize_t>(part, 0);
        }
        offset += read;
        count -= static_cast<std::uint64_t>(read);
    }
    return true;
}
#endif

} // namespace

#ifdef __linux__
PartCopy copyFilePart(const std::filesystem::path& from, std::uint64_t offset, std::uint64_t count,
                      const std::filesystem::path& to) {
    const Descriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    Descriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (out.get() == -1)
        return PartCopy::TargetNotCreated;
    auto at = static_cast<off_t>(offset);
    bool copied = in.get() != -1;
    while (copied && count > 0) {
        const ssize_t moved = ::copy_file_range(in.get(), &at, out.get(), nullptr, count, 0);
        if (moved > 0) {
            count -= static_cast<std::uint64_t>(moved);
        } else if (moved == 0 || errno != EINTR) {
            // The source ended early, or these file systems need the copy through a buffer.
            copied =
                moved == -1 &&
                (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) &&
                copyThroughBuffer(in.get(), at, count, out.get());
            break;
        }
    }
    return out.close() && copied ? PartCopy::Whole : PartCopy::Incomplete;
}
#else
PartCopy copyFilePart(const std::filesystem::path& from, std::uint64_t offset, std::uint64_t count,
                      const std::filesystem::path& to) {
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    if (!out)
        return PartCopy::TargetNotCreated;
    if (!in.seekg(static_cast<std::streamoff>(offset)))
        return PartCopy::Incomplete;
    const auto buffer = std::make_unique_for_overwrite<char[]>(BufferBytes);
    while (count > 0) {
        const auto part = static_cast<std::streamsize>(std::min<std::uint64_t>(count, BufferBytes));
        if (!in.read(buffer.get(), part) || !out.write(buffer.get(), part))
            return PartCopy::Incomplete;
        count -= static_cast<std::uint64_t>(part);
    }
    out.close();
    return out.fail() ? PartCopy::Incomplete : PartCopy::Whole;
}
#endif
