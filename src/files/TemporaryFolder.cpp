#include "TemporaryFolder.h"

#include "files/PcPath.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr const char* RunPrefix = "run-";

[[noreturn]] void fail(const fs::path& folder, const std::string& reason) {
    throw TemporaryFolderError("Belltide could not make its temporary folder \"" + pcText(folder) +
                               "\": " + reason + ".");
}

#ifndef _WIN32
std::string reasonOf(int error) {
    return std::generic_category().message(error);
}
#endif

std::string randomRunName() {
    static std::mt19937 numbers{std::random_device{}()};
    return RunPrefix + std::to_string(numbers());
}

// The run's folder as made, with what keeps it from other runs' clean-up.
struct RunFolder {
    fs::path base, path;
#ifndef _WIN32
    int lock = -1;
#endif
};

#ifdef _WIN32
// The user's own temporary folder, which no other user can enter.
fs::path baseFolder() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH)
        fail(L"%TEMP%", "Windows does not name one");
    return fs::path(std::wstring(buffer, length));
}

RunFolder makeRunFolder(const fs::path& base) {
    const fs::path own = base / "Belltide";
    std::error_code error;
    fs::create_directory(own, error);
    if (error)
        fail(own, error.message());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path run = own / randomRunName();
        if (fs::create_directory(run, error))
            return {base, run};
        if (error)
            fail(run, error.message());
    }
    fail(own, "every name tried was taken");
}

void releaseRunFolder(RunFolder&) {}
#else
fs::path baseFolder() {
    const char* tmpdir = std::getenv("TMPDIR");
    return tmpdir && *tmpdir ? fs::path(tmpdir) : fs::path("/tmp");
}

// The user's folder in a folder others may write: made here with mode 0700, or checked to be a
// folder of this user's, never followed through a link.
int openUserFolder(const fs::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        fail(folder, reasonOf(errno));
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor == -1)
        fail(folder, errno == ELOOP || errno == ENOTDIR ? "something that is no folder has its name"
                                                        : reasonOf(errno));
    struct stat status {};
    const auto refuse = [&](const std::string& reason) {
        ::close(descriptor);
        fail(folder, reason);
    };
    if (::fstat(descriptor, &status) != 0)
        refuse(reasonOf(errno));
    if (status.st_uid != ::geteuid())
        refuse("another user owns a folder of that name");
    if ((status.st_mode & 077) != 0 && ::fchmod(descriptor, 0700) != 0)
        refuse(reasonOf(errno));
    return descriptor;
}

// A run holds its folder locked while it lives; one nobody holds was left by a killed run.
void removeLeftRuns(const fs::path& user, const fs::path& ours) {
    std::error_code error;
    for (const auto& item : fs::directory_iterator(user, error)) {
        const fs::path path = item.path();
        if (path == ours || path.filename().string().rfind(RunPrefix, 0) != 0)
            continue;
        const int descriptor =
            ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (descriptor == -1)
            continue;
        std::error_code ignored;
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
            fs::remove_all(path, ignored);
        ::close(descriptor);
    }
}

// The new folder locked, and still the one made: another run's clean-up may have taken it
// before the lock.
int lockMadeFolder(int userFolder, const std::string& name) {
    const int lock =
        ::openat(userFolder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat held {
    }, named{};
    if (lock != -1 && ::flock(lock, LOCK_EX | LOCK_NB) == 0 && ::fstat(lock, &held) == 0 &&
        ::fstatat(userFolder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino)
        return lock;
    if (lock != -1)
        ::close(lock);
    return -1;
}

RunFolder makeRunFolder(const fs::path& base) {
    const fs::path user = base / ("belltide-" + std::to_string(::geteuid()));
    const int userFolder = openUserFolder(user);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = randomRunName();
        if (::mkdirat(userFolder, name.c_str(), 0700) != 0) {
            if (errno == EEXIST)
                continue;
            const int error = errno;
            ::close(userFolder);
            fail(user / name, reasonOf(error));
        }
        const int lock = lockMadeFolder(userFolder, name);
        if (lock == -1)
            continue;
        ::close(userFolder);
        removeLeftRuns(user, user / name);
        return {base, user / name, lock};
    }
    ::close(userFolder);
    fail(user, "every name tried was taken");
}

void releaseRunFolder(RunFolder& run) {
    if (run.lock != -1)
        ::close(run.lock);
    run.lock = -1;
}
#endif

bool isOwnFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(fs::symlink_status(path, error));
}

// The run's folder goes with the run.
struct CurrentRun {
    ~CurrentRun() {
        std::error_code ignored;
        if (!folder.path.empty())
            fs::remove_all(folder.path, ignored);
        releaseRunFolder(folder);
    }
    RunFolder folder;
};

} // namespace

fs::path temporaryFolder() {
    static std::mutex guard;
    static CurrentRun current;
    RunFolder& run = current.folder;
    const std::lock_guard lock(guard);
    const fs::path base = baseFolder();
    if (run.path.empty() || run.base != base || !isOwnFolder(run.path)) {
        // A run that lasts for weeks may see its folder cleaned away.
        RunFolder made = makeRunFolder(base);
        releaseRunFolder(run);
        run = std::move(made);
    }
    return run.path;
}

fs::path newTemporaryPath(const std::string& prefix, const std::string& suffix) {
    static std::atomic<unsigned> counter{0};
    return temporaryFolder() / pcPath(prefix + std::to_string(counter++) + suffix);
}
