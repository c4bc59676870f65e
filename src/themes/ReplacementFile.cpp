#include "ReplacementFile.h"

#include <atomic>
#include <filesystem>
#include <random>
#include <system_error>

namespace {

std::string temporaryNameFor(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    static const unsigned run = std::random_device{}();
    return target + ".new-" + std::to_string(run) + "-" + std::to_string(counter++);
}

} // namespace

ReplacementFile::ReplacementFile(std::string target)
    : m_target(std::move(target)), m_temporary(temporaryNameFor(m_target)) {}

ReplacementFile::~ReplacementFile() {
    if (m_committed)
        return;
    std::error_code ignored;
    std::filesystem::remove(m_temporary, ignored);
}

bool ReplacementFile::commit() {
    std::error_code error;
    std::filesystem::rename(m_temporary, m_target, error);
    m_committed = !error;
    return m_committed;
}
