#include "ThemeLibrary.h"

#include "files/FileNames.h"
#include "files/PcPath.h"
#include "files/ReplacementFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

std::vector<std::string> themeFileNames(const std::string& themesDir) {
    removeLeftoverReplacements(themesDir, ".kbt");
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& item : fs::directory_iterator(pcPath(themesDir), error)) {
        std::error_code ignored;
        if (!item.is_regular_file(ignored))
            continue;
        const std::string name = pcText(item.path().filename());
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
    const bool same = fs::equivalent(pcPath(a), pcPath(b), error);
    return !error && same;
}

bool copyThemeFile(const std::string& source, const std::string& target) {
    ReplacementFile replacement(target);
    // Streams rather than the system's copy: Windows will not copy onto a file held open.
    std::ifstream in(pcPath(source), std::ios::binary);
    std::ofstream out(replacement.path(), std::ios::binary | std::ios::trunc);
    std::vector<char> buffer(1 << 16);
    while (in && out) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        out.write(buffer.data(), in.gcount());
    }
    if (!in.eof() || in.bad() || !out.flush())
        return false;
    out.close();
    return out && replacement.commit();
}
