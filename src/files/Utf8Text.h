// The 8-bit names theme files hold: Belltide writes UTF-8, while programs of the handheld's era
// wrote the PC's code page, on Western PCs Windows-1252.
#pragma once

#include <string>
#include <string_view>

// True for well-formed UTF-8: no overlong form, surrogate or code point past U+10FFFF.
bool isUtf8(std::string_view text);
// The text unchanged when it is UTF-8; else every byte read as Windows-1252, the five bytes that
// code page leaves undefined as U+FFFD.
std::string asUtf8(const std::string& text);
