#include "ThemeDescriptor.h"

#include "catalog/SoundTheme.h"
#include "files/Utf8Text.h"

#include <cctype>
#include <istream>
#include <ostream>
#include <string>

namespace {

constexpr const char* LineEnd = "\r\n";

bool written(const SoundTheme& theme, const std::string& eventName) {
    return theme.uploadExtended() || !isExtendedEventName(eventName);
}

// The count line: blanks and line ends skipped, then decimal digits; anything else is no count.
long long readCount(std::istream& in) {
    int c = in.peek();
    while (c != std::char_traits<char>::eof() && std::isspace(c)) {
        in.get();
        c = in.peek();
    }
    long long count = 0;
    bool digits = false;
    while (c != std::char_traits<char>::eof() && std::isdigit(c)) {
        digits = true;
        // Beyond any real descriptor; the rows still end with the text.
        if (count < 1'000'000'000)
            count = count * 10 + (c - '0');
        in.get();
        c = in.peek();
    }
    std::string rest;
    std::getline(in, rest);
    return digits ? count : 0;
}

// Lines are converted one by one, as member names are: a name and extension written in one
// code page still name their member.
bool readLine(std::istream& in, std::string& line) {
    if (!std::getline(in, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    line = asUtf8(line);
    return true;
}

} // namespace

std::ostream& writeDescriptor(std::ostream& out, const SoundTheme& theme) {
    int count = 0;
    for (const auto& [eventName, entry] : theme)
        count += written(theme, eventName) ? 1 : 0;
    out << count << LineEnd;
    for (const auto& [eventName, entry] : theme) {
        if (written(theme, eventName))
            out << eventName << LineEnd << entry.name << LineEnd << entry.extension << LineEnd;
    }
    return out;
}

std::istream& readDescriptor(std::istream& in, SoundTheme& theme) {
    const long long count = readCount(in);
    theme.clear();
    std::string eventName, name, extension;
    for (long long row = 0; row < count; ++row) {
        if (!readLine(in, eventName) || !readLine(in, name) || !readLine(in, extension))
            break;
        theme.insert(eventName, SoundEntry{"", name, extension, 0});
    }
    return in;
}
