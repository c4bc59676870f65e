// UTF-8 text, read and written strictly, and the 8-bit names theme files hold: Belltide writes
// UTF-8, while programs of the handheld's era wrote the PC's code page, on Western PCs
// Windows-1252.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The code point that starts at text[at] and its length in bytes; none for a byte that starts no
// well-formed sequence (overlong forms, surrogates and code points past U+10FFFF included).
struct Utf8Sequence {
    char32_t codePoint;
    std::size_t length;
};
std::optional<Utf8Sequence> utf8SequenceAt(std::string_view text, std::size_t at);
// Appends the code point in UTF-8.
void appendUtf8(std::string& out, char32_t codePoint);

// The text with a line break in each run of more than maxRun characters without a space or a
// line break, after the run's last folder separator within reach if it has one: a message box
// wraps its lines at spaces only, and a long path would make it wider than the screen.
std::string wrappableText(const std::string& text, std::size_t maxRun);

// True for well-formed UTF-8: no overlong form, surrogate or code point past U+10FFFF.
bool isUtf8(std::string_view text);
// The text unchanged when it is UTF-8; else every byte read as Windows-1252, the five bytes that
// code page leaves undefined as U+FFFD.
std::string asUtf8(const std::string& text);
