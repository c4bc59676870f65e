// Conversions between the program's UTF-8 text and the device's UTF-16.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Invalid UTF-8 bytes become U+FFFD.
std::u16string toUtf16(const std::string& utf8);
// Unpaired surrogates become U+FFFD.
std::string fromUtf16(const std::u16string& utf16);

// UTF-16LE bytes of the text and its closing NUL, as the registry keeps a string.
std::vector<std::uint8_t> utf16Bytes(const std::string& utf8);
// The UTF-16 units of little-endian bytes; an odd last byte is ignored.
std::u16string utf16Units(const std::uint8_t* bytes, std::size_t size);
