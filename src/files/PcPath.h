// Paths on the PC: the platform's separator, and the plain text operations the program uses.
#pragma once

#include <string>

#ifdef _WIN32
inline constexpr char PathSeparator = '\\';
#else
inline constexpr char PathSeparator = '/';
#endif

// The part after the last separator, or the whole path when it has none.
std::string fileNameOf(const std::string& path);
// The part before the last separator, the separator removed; empty when there is none.
std::string folderOf(const std::string& path);
// True for a regular file that can be opened for reading; folders are not.
bool isReadableFile(const std::string& path);
