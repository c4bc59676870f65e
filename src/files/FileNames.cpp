#include "FileNames.h"

#include <algorithm>
#include <cctype>

namespace {

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

} // namespace

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return lower(x) == lower(y); });
}

bool lessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return lower(x) < lower(y); });
}

bool hasExtension(const std::string& fileName, const std::string& extension) {
    return fileName.size() > extension.size() &&
           equalIgnoringCase(fileName.substr(fileName.size() - extension.size()), extension);
}
