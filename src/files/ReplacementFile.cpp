#include "ReplacementFile.h"

#include "files/FileNames.h"
#include "files/PcPath.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr const char* TemporaryMark = ".new-";

// The most a file system takes in one name: bytes on Linux, UTF-16 units on Windows.
constexpr std::size_t LongestName = 255;

fs::path temporaryNameFor(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    static const unsigned run = std::random_device{}();
    const std::string mark = TemporaryMark + std::to_string(run) + "-" + std::to_string(counter++);
    // A target whose name the file system just takes must not fail for its temporary one: a
    // long title gives way, the extension stays.
    auto title = target.stem().native();
    const auto extension = target.extension().native();
    if (title.size() + extension.size() + mark.size() > LongestName) {
        title.resize(LongestName > extension.size() + mark.size() + 1
                         ? LongestName - extension.size() - mark.size()
                         : 1);
#ifndef _WIN32
        while (title.size() > 1 && (static_cast<unsigned char>(title.back()) & 0xC0) == 0x80)
            title.pop_back(); // no half character
        if (title.size() > 1 && (static_cast<unsigned char>(title.back()) & 0x80) != 0)
            title.pop_back();
#endif
        return (target.parent_path() / title).concat(extension).concat(mark);
    }
    return fs::path(target).concat(mark);
}

bool isDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
}

// The target's name when fileName is one of our temporary names ("<target>.new-<run>-<count>").
std::string targetOfTemporary(const std::string& fileName) {
    const auto mark = fileName.rfind(TemporaryMark);
    if (mark == std::string::npos)
        return {};
    const std::string suffix =
        fileName.substr(mark + std::char_traits<char>::length(TemporaryMark));
    const auto dash = suffix.find('-');
    if (dash == std::string::npos || !isDigits(suffix.substr(0, dash)) ||
        !isDigits(suffix.substr(dash + 1)))
        return {};
    return fileName.substr(0, mark);
}

#ifdef _WIN32
int openTemporary(const fs::path& path) {
    return _wopen(path.c_str(), _O_CREAT | _O_TRUNC | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
}
bool flushToDisk(int descriptor) {
    return _commit(descriptor) == 0;
}
void closeDescriptor(int descriptor) {
    _close(descriptor);
}
bool closeChecked(int descriptor) {
    return _close(descriptor) == 0;
}
bool flushFileSystem(const fs::path&) {
    return false;
}
// NTFS journals the rename itself; a folder cannot be flushed there.
void flushFolder(const fs::path&) {}
// Windows refuses to remove a file that a running save holds open.
bool heldByRunningSave(const fs::path&) {
    return false;
}
#else
int openTemporary(const fs::path& path) {
    const int descriptor = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0666);
    if (descriptor != -1)
        ::flock(descriptor, LOCK_EX | LOCK_NB);
    return descriptor;
}
bool flushToDisk(int descriptor) {
    return ::fsync(descriptor) == 0;
}
void closeDescriptor(int descriptor) {
    ::close(descriptor);
}
bool closeChecked(int descriptor) {
    return ::close(descriptor) == 0;
}
bool flushFileSystem(const fs::path& folder) {
#ifdef __linux__
    // One flush of the disk for everything written, however many files that is.
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor == -1)
        return false;
    const bool flushed = ::syncfs(descriptor) == 0;
    ::close(descriptor);
    return flushed;
#else
    return false;
#endif
}
void flushFolder(const fs::path& folder) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor == -1)
        return;
    ::fsync(descriptor);
    ::close(descriptor);
}
bool heldByRunningSave(const fs::path& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor == -1)
        return true;
    const bool held = ::flock(descriptor, LOCK_EX | LOCK_NB) != 0;
    ::close(descriptor);
    return held;
}
#endif

} // namespace

ReplacementDiskCalls& replacementDiskCalls() {
    static ReplacementDiskCalls calls{flushToDisk, flushFolder, flushFileSystem, closeChecked};
    return calls;
}

ReplacementFile::ReplacementFile(std::string target)
    : m_target(pcPath(target)), m_temporary(temporaryNameFor(m_target)),
      m_descriptor(openTemporary(m_temporary)) {
    if (m_descriptor == -1)
        m_error = lastSystemError();
}

ReplacementFile::~ReplacementFile() {
    release();
    if (m_committed)
        return;
    std::error_code ignored;
    fs::remove(m_temporary, ignored);
}

void ReplacementFile::release() {
    if (m_descriptor == -1)
        return;
    closeDescriptor(m_descriptor);
    m_descriptor = -1;
}

bool ReplacementFile::commit() {
    if (m_descriptor == -1)
        return false;
    if (!replacementDiskCalls().flushFile(m_descriptor)) {
        m_error = lastSystemError();
        return false;
    }
#ifdef _WIN32
    // A file still open cannot be renamed there.
    release();
#endif
    fs::rename(m_temporary, m_target, m_error);
    if (m_error)
        return false;
    m_committed = true;
    const fs::path folder = m_target.parent_path();
    replacementDiskCalls().flushFolder(folder.empty() ? "." : folder);
    release();
    return true;
}

bool flushFiles(const fs::path& folder, const std::vector<fs::path>& files) {
    if (replacementDiskCalls().flushFileSystem(folder))
        return true;
    for (const auto& file : files) {
#ifdef _WIN32
        const int descriptor = _wopen(file.c_str(), _O_RDWR | _O_BINARY);
#else
        const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
#endif
        if (descriptor == -1)
            return false;
        const bool flushed = replacementDiskCalls().flushFile(descriptor);
        if (!replacementDiskCalls().closeFile(descriptor) || !flushed)
            return false;
    }
    return true;
}

void startWriting(const fs::path& file) {
#ifdef __linux__
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor == -1)
        return;
    ::sync_file_range(descriptor, 0, 0, SYNC_FILE_RANGE_WRITE);
    ::close(descriptor);
#else
    static_cast<void>(file);
#endif
}

std::error_code lastSystemError() {
#ifdef _WIN32
    // The C library tells a name too long or of a refused character as a missing file or a bad
    // argument; the system's own code tells them apart.
    if (errno == ENOENT || errno == EINVAL) {
        if (_doserrno == ERROR_FILENAME_EXCED_RANGE)
            return std::make_error_code(std::errc::filename_too_long);
        if (_doserrno == ERROR_INVALID_NAME)
            return std::make_error_code(std::errc::invalid_argument);
    }
#endif
    return {errno, std::generic_category()};
}

std::string failureReason(const std::error_code& error) {
    if (!error)
        return {};
    const std::error_condition condition = error.default_error_condition();
    if (condition == std::errc::filename_too_long)
        return "the name is too long for the file system";
    if (condition == std::errc::invalid_argument || condition == std::errc::illegal_byte_sequence)
        return "the file system refuses a character of the name";
    if (condition == std::errc::no_space_on_device)
        return "the disk is full";
#ifdef EDQUOT
    if (error.value() == EDQUOT && error.category() == std::generic_category())
        return "the disk is full";
#endif
    if (condition == std::errc::permission_denied ||
        condition == std::errc::operation_not_permitted ||
        condition == std::errc::read_only_file_system)
        return "Belltide may not write there";
    if (condition == std::errc::no_such_file_or_directory ||
        condition == std::errc::not_a_directory)
        return "the folder does not exist";
    return error.message();
}

void removeLeftoverReplacements(const std::string& folder, const std::string& extension) try {
    std::error_code error;
    for (const auto& item : fs::directory_iterator(pcPath(folder), error)) {
        std::error_code ignored;
        const std::string target = targetOfTemporary(pcText(item.path().filename()));
        if (!hasExtension(target, extension) || !item.is_regular_file(ignored) ||
            heldByRunningSave(item.path()))
            continue;
        fs::remove(item.path(), ignored);
    }
} catch (const fs::filesystem_error&) {
    // A folder that stops being listable half-way keeps the rest; they go next time.
}
