// A fresh folder for one test, removed afterwards; the current directory is restored too.
#pragma once

#include "files/PcPath.h"
#include "files/Removals.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <set>
#include <string>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

class TempFolder {
public:
    TempFolder() { std::filesystem::create_directories(m_path); }
    ~TempFolder() {
        waitForRemovals(); // of what lies in it
        std::error_code ignored;
        std::filesystem::current_path(m_previousCurrent, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }

    const std::filesystem::path& path() const { return m_path; }
    // The folder as text with a trailing separator, as the program's folder values are.
    std::string dir() const { return pcText(m_path / ""); }

    // The names of the files and folders in it, or in a subfolder of it.
    std::set<std::string> names(const std::string& subfolder = "") const {
        std::set<std::string> names;
        for (const auto& item : std::filesystem::directory_iterator(m_path / pcPath(subfolder)))
            names.insert(pcText(item.path().filename()));
        return names;
    }
    std::filesystem::path writeFile(const std::string& name, std::size_t bytes,
                                    char fill = 'x') const {
        const auto file = m_path / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << std::string(bytes, fill);
        return file;
    }
#ifndef _WIN32
    // A tmpfs with these options on the subfolder name until the handle goes; null where none
    // can be mounted (it needs root).
    std::shared_ptr<const void> mountTmpfs(const std::string& name,
                                           const std::string& options) const {
        std::filesystem::create_directories(m_path / name);
        const std::string at = "'" + pcText(m_path / name) + "'";
        if (std::system(("mount -t tmpfs -o " + options + " tmpfs " + at + " 2>/dev/null").c_str()))
            return nullptr;
        return {this,
                [at](const void*) { static_cast<void>(std::system(("umount " + at).c_str())); }};
    }
#endif

private:
    std::filesystem::path m_previousCurrent = std::filesystem::current_path();
    // Named beyond ASCII, as a user's folders may be: a path that passes through the narrow
    // code page anywhere fails there.
    std::filesystem::path m_path =
        std::filesystem::temp_directory_path() /
        pcPath("belltide-test-J\u00F6s\u00E9-" + std::to_string(std::random_device{}()) +
               std::to_string(std::random_device{}()));
};

#ifndef _WIN32
// Writes past this many bytes fail, as on a full disk, until the limit goes.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        const rlimit lower{bytes, m_old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_old{};
    void (*m_handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
};
#endif
