#include "ThemeLibrary.h"

#include "themes/ReplacementFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool lessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return lower(x) < lower(y); });
}

} // namespace

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return lower(x) == lower(y); });
}

bool hasExtension(const std::string& fileName, const std::string& extension) {
    return fileName.size() > extension.size() &&
           equalIgnoringCase(fileName.substr(fileName.size() - extension.size()), extension);
}

std::vector<std::string> themeFileNames(const std::string& themesDir) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& item : fs::directory_iterator(themesDir, error)) {
        std::error_code ignored;
        if (!item.is_regular_file(ignored))
            continue;
        const std::string name = item.path().filename().string();
        if (hasExtension(name, ".kbt"))
            names.push_back(name);
    }
    // Ties of case are broken byte-wise so that the order never depends on the folder's.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return lessIgnoringCase(a, b) || (!lessIgnoringCase(b, a) && a < b);
    });
    return names;
}

bool isSameFile(const std::string& a, const std::string& b) {
    if (a == b)
        return true;
    std::error_code error;
    const bool same = fs::equivalent(a, b, error);
    return !error && same;
}

bool copyThemeFile(const std::string& source, const std::string& target) {
    ReplacementFile replacement(target);
    std::error_code error;
    fs::copy_file(source, replacement.path(), fs::copy_options::overwrite_existing, error);
    return !error && replacement.commit();
}
