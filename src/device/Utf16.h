// Conversions between the program's UTF-8 text and the device's UTF-16.
#pragma once

#include <string>

// Invalid UTF-8 bytes become U+FFFD.
std::u16string toUtf16(const std::string& utf8);
// Unpaired surrogates become U+FFFD.
std::string fromUtf16(const std::u16string& utf16);
