#include "PcPath.h"

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
