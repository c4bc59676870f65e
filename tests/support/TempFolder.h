// A fresh folder for one test, removed afterwards; the current directory is restored too.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

class TempFolder {
public:
    TempFolder() { std::filesystem::create_directories(m_path); }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::current_path(m_previousCurrent, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }

    const std::filesystem::path& path() const { return m_path; }
    // The folder as text with a trailing separator, as the program's folder values are.
    std::string dir() const { return (m_path / "").string(); }

    std::filesystem::path writeFile(const std::string& name, std::size_t bytes,
                                    char fill = 'x') const {
        const auto file = m_path / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << std::string(bytes, fill);
        return file;
    }

private:
    std::filesystem::path m_previousCurrent = std::filesystem::current_path();
    std::filesystem::path m_path = std::filesystem::temp_directory_path() /
                                   ("belltide-test-" + std::to_string(std::random_device{}()) +
                                    std::to_string(std::random_device{}()));
};
