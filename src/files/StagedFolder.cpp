#include "StagedFolder.h"

#include "files/Removals.h"
#include "files/ReplacementFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path besides(const fs::path& target, const char* suffix) {
    return fs::path(target).concat(suffix);
}

// Where a set that is no longer wanted waits to be removed.
fs::path binOf(const fs::path& target) {
    return besides(target, ".removing");
}

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& item : fs::recursive_directory_iterator(folder, error)) {
        std::error_code ignored;
        if (item.is_regular_file(ignored))
            files.push_back(item.path());
    }
    return files;
}

// The two folders trade places in one step where the system can; else the target steps aside
// first, and recoverStagedFolder puts it back should the second rename never come.
bool swapIn(const fs::path& staging, const fs::path& target) {
    std::error_code error;
#ifdef __linux__
    if (::renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0)
        return true;
    if (errno == ENOENT && !fs::exists(target, error)) {
        fs::rename(staging, target, error);
        return !error;
    }
#endif
    const fs::path old = besides(target, ".old");
    fs::remove_all(old, error);
    const bool hadTarget = fs::exists(target, error);
    if (hadTarget) {
        fs::rename(target, old, error);
        if (error)
            return false;
    }
    fs::rename(staging, target, error);
    if (error) {
        std::error_code ignored;
        if (hadTarget)
            fs::rename(old, target, ignored);
        return false;
    }
    // The old content now lies where the staging folder was, as after an exchange.
    if (hadTarget)
        fs::rename(old, staging, error);
    return true;
}

} // namespace

void recoverStagedFolder(const fs::path& target) {
    std::error_code error;
    const fs::path old = besides(target, ".old");
    if (!fs::exists(target, error) && fs::is_directory(old, error))
        fs::rename(old, target, error);
    fs::remove_all(old, error);
    emptyBinLater(binOf(target));
}

StagedFolder::StagedFolder(fs::path target)
    : m_target(std::move(target)), m_staging(besides(m_target, ".new")) {
    recoverStagedFolder(m_target);
    std::error_code error;
    if (fs::exists(m_staging, error))
        removeLater(m_staging, binOf(m_target));
    fs::remove_all(m_staging);
    fs::create_directories(m_staging);
}

StagedFolder::~StagedFolder() {
    // Freeing the room of a whole set can take the disk longer than writing it did.
    removeLater(m_staging, binOf(m_target));
}

bool StagedFolder::flush() {
    if (!m_flushed)
        m_flushed = flushFiles(m_staging, filesIn(m_staging));
    return m_flushed;
}

bool StagedFolder::commit() {
    if (!flush() || !swapIn(m_staging, m_target))
        return false;
    const fs::path parent = m_target.parent_path();
    replacementDiskCalls().flushFolder(parent.empty() ? "." : parent);
    return true;
}
