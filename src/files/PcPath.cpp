#include "PcPath.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::string::size_type lastSeparator(const std::string& path) {
#ifdef _WIN32
    return path.find_last_of("\\/");
#else
    return path.rfind(PathSeparator);
#endif
}

} // namespace

std::string withPlatformSeparators(std::string path) {
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '/', PathSeparator);
#endif
    return path;
}

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
    const auto file = pcPath(path);
    return std::filesystem::is_regular_file(file, error) &&
           static_cast<bool>(std::ifstream(file, std::ios::binary));
}

#ifdef _WIN32
// The system's own conversions: a byte that is not UTF-8 (or a lone surrogate in a name the
// system hands back) becomes U+FFFD instead of the exception the library's conversion throws.
std::filesystem::path pcPath(const std::string& utf8) {
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0)),
        L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string pcText(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    const int size = static_cast<int>(wide.size());
    std::string utf8(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), size,
                                                                  nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), static_cast<int>(utf8.size()),
                        nullptr, nullptr);
    return utf8;
}
#else
std::filesystem::path pcPath(const std::string& utf8) {
    return utf8;
}

std::string pcText(const std::filesystem::path& path) {
    return path.native();
}
#endif
