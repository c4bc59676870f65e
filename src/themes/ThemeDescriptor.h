// "theme.dsc", the text that lists a theme's events and sounds: a count line, then three lines
// per row (event name, sound name, extension), every line ended by CR LF.
#pragma once

#include <iosfwd>

class SoundTheme;

inline constexpr const char* DescriptorFileName = "theme.dsc";

// Writes every row, or without uploadExtended only the rows of system events.
std::ostream& writeDescriptor(std::ostream& out, const SoundTheme& theme);
// Replaces the theme's entries with the rows read; uploadExtended stays. A missing or
// non-numeric count reads as no rows; a text that ends early keeps the rows read. A line that
// is not UTF-8 is read as Windows-1252.
std::istream& readDescriptor(std::istream& in, SoundTheme& theme);
