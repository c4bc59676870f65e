// Names of files, registry keys and values compared as the handheld and Windows compare them:
// without regard to the case of ASCII letters.
#pragma once

#include <string>

bool equalIgnoringCase(const std::string& a, const std::string& b);
bool lessIgnoringCase(const std::string& a, const std::string& b);
// The order of lessIgnoringCase, for the keys of sets and maps of names.
struct IgnoringCase {
    bool operator()(const std::string& a, const std::string& b) const {
        return lessIgnoringCase(a, b);
    }
};
// The order a person counts in: runs of digits by their value ("w2" before "w10"), letters in any
// case; names alike in that order fall back to plain order, so that no two names are equal.
bool lessAsCounted(const std::string& a, const std::string& b);
// True when the file name has something before the extension and ends in it, in any case.
bool hasExtension(const std::string& fileName, const std::string& extension);

// The name as Windows, the handheld and a theme file can hold it, in at most maxBytes bytes:
// characters they refuse become "_", a trailing dot or space goes, a device name ("CON",
// "LPT1") gets a "_", and a name too long loses the end of its title, keeping the extension.
std::string portableFileName(const std::string& fileName, std::size_t maxBytes);
// True for a name that portableFileName keeps as it is: a plain file name every side can hold.
// The one rule for archive members, names read from the handheld and the sounds of the editor.
bool isPortableFileName(const std::string& fileName, std::size_t maxBytes);
// The name without its extension: "a.b" of "a.b.wav"; a name that only starts with a dot has none.
std::string titleOf(const std::string& fileName);
// The name with " (number)" before its extension.
std::string numberedFileName(const std::string& fileName, int number);
