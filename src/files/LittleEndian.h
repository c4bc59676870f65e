// Unsigned numbers as the stored formats hold them: least significant byte first.
#pragma once

#include <cstdint>

inline std::uint32_t readLittleEndian(const char* at, int bytes = 4) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(at[i]);
    return value;
}

inline void writeLittleEndian(char* at, std::uint32_t value, int bytes = 4) {
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}
