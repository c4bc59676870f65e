#include "FileNames.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>

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

bool lessAsCounted(const std::string& a, const std::string& b) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            // The runs' values: without leading zeros, the longer run is the larger number.
            while (i + 1 < a.size() && a[i] == '0' && digit(a[i + 1]))
                ++i;
            while (j + 1 < b.size() && b[j] == '0' && digit(b[j + 1]))
                ++j;
            std::size_t endA = i, endB = j;
            while (endA < a.size() && digit(a[endA]))
                ++endA;
            while (endB < b.size() && digit(b[endB]))
                ++endB;
            const std::string_view runA(a.data() + i, endA - i), runB(b.data() + j, endB - j);
            if (runA.size() != runB.size())
                return runA.size() < runB.size();
            if (runA != runB)
                return runA < runB;
            i = endA, j = endB;
            continue;
        }
        if (lower(a[i]) != lower(b[j]))
            return lower(a[i]) < lower(b[j]);
        ++i, ++j;
    }
    if (i == a.size() && j == b.size())
        return a < b;
    return i == a.size();
}

bool hasExtension(const std::string& fileName, const std::string& extension) {
    return fileName.size() > extension.size() &&
           equalIgnoringCase(fileName.substr(fileName.size() - extension.size()), extension);
}

namespace {

// Windows reserves these titles whatever follows them after a dot, and trailing blanks.
bool isDeviceName(std::string title) {
    title = title.substr(0, title.find('.'));
    while (!title.empty() && title.back() == ' ')
        title.pop_back();
    for (const char* name : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (equalIgnoringCase(title, name))
            return true;
    return title.size() == 4 &&
           (equalIgnoringCase(title.substr(0, 3), "COM") ||
            equalIgnoringCase(title.substr(0, 3), "LPT")) &&
           title[3] >= '1' && title[3] <= '9';
}

bool endsInDotOrBlank(const std::string& text) {
    return !text.empty() && (text.back() == '.' || text.back() == ' ');
}

// Splits at the last dot: "a.b.wav" gives "a.b" and ".wav".
std::pair<std::string, std::string> titleAndExtension(const std::string& fileName) {
    const auto dot = fileName.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return {fileName, ""};
    return {fileName.substr(0, dot), fileName.substr(dot)};
}

// Cuts UTF-8 text to at most bytes bytes without splitting a character.
std::string cutUtf8(const std::string& text, std::size_t bytes) {
    if (text.size() <= bytes)
        return text;
    std::size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace

std::string portableFileName(const std::string& fileName, std::size_t maxBytes) {
    std::string name;
    for (const char c : fileName) {
        const auto byte = static_cast<unsigned char>(c);
        name += byte < 0x20 || byte == 0x7F ||
                        std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos
                    ? '_'
                    : c;
    }
    // Windows drops a trailing dot or blank: "a.wav." would be another file's name there.
    while (endsInDotOrBlank(name))
        name.pop_back();
    auto [title, extension] = titleAndExtension(name);
    while (endsInDotOrBlank(title))
        title.pop_back();
    if (title.empty() || isDeviceName(title)) {
        const auto dot = std::min(title.find('.'), title.size());
        title = title.substr(0, dot) + "_" + title.substr(dot);
    }
    extension = cutUtf8(extension, maxBytes / 2);
    title = cutUtf8(title, maxBytes - extension.size());
    while (endsInDotOrBlank(title))
        title.pop_back();
    return (title.empty() ? std::string("_") : title) + extension;
}

bool isPortableFileName(const std::string& fileName, std::size_t maxBytes) {
    return !fileName.empty() && portableFileName(fileName, maxBytes) == fileName;
}

std::string titleOf(const std::string& fileName) {
    return titleAndExtension(fileName).first;
}

std::string numberedFileName(const std::string& fileName, int number) {
    const auto [title, extension] = titleAndExtension(fileName);
    return title + " (" + std::to_string(number) + ")" + extension;
}
