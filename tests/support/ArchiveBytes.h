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
template <class Text> std::filesystem::path testPath(const Text& utf8) {
    return pcPath(utf8);
}

template <class Path> void writeBytes(const Path& file, const std::string& bytes) {
    std::ofstream(testPath(file), std::ios::binary) << bytes;
}

template <class Path> std::string readBytes(const Path& file) {
    std::ifstream in(testPath(file), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct WaveLayout {
    std::uint16_t formatTag = 1; // 1 PCM, 3 float
    std::uint16_t channels = 1;
    std::uint32_t sampleRate = 8000;
    std::uint16_t bitsPerSample = 8;
    // For headers of other shapes: bytes that end the "fmt " chunk, chunks between it and "data",
    // bytes after the data, and an error in the byte rate.
    std::string fmtEnd = {}, before = {}, after = {};
    std::uint32_t byteRateError = 0;
};

// A wave file holding these bytes as its samples, by default 8-bit mono ones at 8 kHz.
inline std::string waveBytes(const std::string& samples, const WaveLayout& layout = {}) {
    const auto number = [](std::size_t value, int bytes) {
        std::string text;
        for (int i = 0; i < bytes; ++i)
            text += static_cast<char>(value >> (8 * i));
        return text;
    };
    const std::uint32_t blockAlign = layout.channels * layout.bitsPerSample / 8u;
    const std::string body =
        "WAVEfmt " + number(16 + layout.fmtEnd.size(), 4) + number(layout.formatTag, 2) +
        number(layout.channels, 2) + number(layout.sampleRate, 4) +
        number(layout.sampleRate * blockAlign + layout.byteRateError, 4) + number(blockAlign, 2) +
        number(layout.bitsPerSample, 2) + layout.fmtEnd + layout.before + "data" +
        number(samples.size(), 4) + samples + std::string(samples.size() & 1, '\0') + layout.after;
    return "RIFF" + number(body.size(), 4) + body;
}

// A 32-bit float stereo wave at 48 kHz of a quiet tone: no wave the handheld plays.
inline std::string floatWaveBytes(double seconds) {
    std::string samples;
    const auto frames = static_cast<int>(seconds * 48000);
    for (int frame = 0; frame < 2 * frames; ++frame) {
        const float value = 0.25f * static_cast<float>((frame / 2) % 96 < 48 ? 1 : -1);
        samples.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    return waveBytes(samples, {3, 2, 48000, 32});
}
