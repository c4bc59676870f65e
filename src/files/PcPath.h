// Paths on the PC: the platform's separator, and the plain text operations the program uses.
#pragma once

#include <filesystem>
#include <string>

#ifdef _WIN32
inline constexpr char PathSeparator = '\\';
#else
inline constexpr char PathSeparator = '/';
#endif

// The path with the platform's own separator: Windows also takes '/', which users and other
// programs hand over.
std::string withPlatformSeparators(std::string path);
// The part after the last separator, or the whole path when it has none.
std::string fileNameOf(const std::string& path);
// The part before the last separator, the separator removed; empty when there is none.
std::string folderOf(const std::string& path);
// True for a regular file that can be opened for reading; folders are not.
bool isReadableFile(const std::string& path);

// The program keeps PC paths as UTF-8 text; these are the only ways between that text and a
// path. A path made straight from a narrow string is read in the ANSI code page on Windows,
// which cannot hold every name a user has.
std::filesystem::path pcPath(const std::string& utf8);
std::string pcText(const std::filesystem::path& path);
