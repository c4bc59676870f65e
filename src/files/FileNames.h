// Names of files, registry keys and values compared as the handheld and Windows compare them:
// without regard to the case of ASCII letters.
#pragma once

#include <string>

bool equalIgnoringCase(const std::string& a, const std::string& b);
bool lessIgnoringCase(const std::string& a, const std::string& b);
// True when the file name has something before the extension and ends in it, in any case.
bool hasExtension(const std::string& fileName, const std::string& extension);
