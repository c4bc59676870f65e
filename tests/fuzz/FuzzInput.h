// What the fuzz targets share: a folder of the process's own for the files they make, and the
// input as bytes or as a file.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace fs = std::filesystem;

// Made at the first call, in memory where there is a memory file system; removed at exit.
inline const fs::path& fuzzFolder() {
    static const struct Folder {
        Folder() { fs::create_directories(path); }
        ~Folder() {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
        fs::path path =
            (fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()) /
            ("belltide-fuzz-" + std::to_string(::getpid()));
    } folder;
    return folder.path;
}

inline std::string_view fuzzBytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The file holds these bytes and nothing else.
inline void writeFuzzFile(const fs::path& file, std::string_view bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
