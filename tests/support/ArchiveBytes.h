// Builds theme archives byte by byte, for archives no writer of ours would make.
#pragma once

#include "files/PcPath.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

struct RawMember {
    std::string name; // 256 characters or more leave the name without its end
    std::string data;
    std::optional<std::uint32_t> length; // the header's length when it is not the data's
};

inline std::string memberBytes(const RawMember& member) {
    std::string header = "ZimoPACK" + member.name.substr(0, 256);
    header.resize(272, '\0');
    for (int i = 0; i < 4; ++i) // little-endian
        header[static_cast<std::size_t>(264 + i)] =
            static_cast<char>(member.length.value_or(member.data.size()) >> (8 * i));
    return header + member.data;
}

inline std::string memberBytes(const std::string& name, const std::string& data) {
    return memberBytes(RawMember{name, data, {}});
}

// Files named by a path, or by text as the program keeps it: never through the narrow code page.
inline std::filesystem::path testPath(const std::filesystem::path& path) {
    return path;
}
inline std::filesystem::path testPath(const std::string& utf8) {
    return pcPath(utf8);
}
inline std::filesystem::path testPath(const char* utf8) {
    return pcPath(utf8);
}

template <class Path> void writeBytes(const Path& file, const std::string& bytes) {
    std::ofstream(testPath(file), std::ios::binary) << bytes;
}

template <class Path> std::string readBytes(const Path& file) {
    std::ifstream in(testPath(file), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A wave file holding these bytes as its 8-bit mono samples.
inline std::string waveBytes(const std::string& samples) {
    const auto number = [](std::uint32_t value, int bytes) {
        std::string text;
        for (int i = 0; i < bytes; ++i)
            text += static_cast<char>(value >> (8 * i));
        return text;
    };
    const auto size = static_cast<std::uint32_t>(samples.size());
    return "RIFF" + number(36 + size + (size & 1), 4) + "WAVEfmt " + number(16, 4) + number(1, 2) +
           number(1, 2) + number(8000, 4) + number(8000, 4) + number(1, 2) + number(8, 2) + "data" +
           number(size, 4) + samples + std::string(size & 1, '\0');
}
