#include "PcPath.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

std::string::size_type lastSeparator(const std::string& path) {
#ifdef _WIN32
    return path.find_last_of("\\/");
#else
    return path.rfind(PathSeparator);
#endif
}

} // namespace

std::string fileNameOf(const std::string& path) {
    const auto cut = lastSeparator(path);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string folderOf(const std::string& path) {
    const auto cut = lastSeparator(path);
    return cut == std::string::npos ? std::string{} : path.substr(0, cut);
}

bool isReadableFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) &&
           static_cast<bool>(std::ifstream(path, std::ios::binary));
}
