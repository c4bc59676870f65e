#include "ThemeLibrary.h"

#include "files/FileNames.h"
#include "files/ReplacementFile.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::vector<std::string> themeFileNames(const std::string& themesDir) {
    removeLeftoverReplacements(themesDir, ".kbt");
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
