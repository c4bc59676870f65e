// What the handheld and the sound output can play: a RIFF WAVE file with its format and data.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// The format and data of a RIFF WAVE as its header gives them; no sample is read.
struct WaveFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    // The data chunk's length, cut to what the file holds.
    std::uint64_t dataBytes = 0;
    // A 44-byte header: "fmt " of 16 bytes, then "data" at once, and nothing after its data.
    bool canonical = false;
};

// The header of a RIFF WAVE with a "fmt " and a "data" chunk; nothing for any other file.
std::optional<WaveFormat> readWaveFormat(const std::string& path);
// True for a file that begins as a RIFF WAVE and holds a "fmt " and a "data" chunk within it.
bool isRiffWave(const std::string& path);
// True for what the handheld plays as it stands: PCM of 8 or 16 bits, mono or stereo,
// 8 to 44.1 kHz, in a canonical header whose sizes agree.
bool isHandheldWave(const WaveFormat& format);

// The playing time by the header alone; nothing when the file is no wave or its rate is zero.
std::optional<std::chrono::microseconds> waveLength(const std::string& path);
// "m:ss.t", rounded to the nearest tenth: 1.75 s is "0:01.8".
std::string formatLength(std::chrono::microseconds length);
// Sounds longer than this are marked in the list: the handheld plays them whole on every event.
inline constexpr std::chrono::seconds LongSoundLimit{30};
