#include "WaveFile.h"

#include "files/LittleEndian.h"
#include "files/PcPath.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>

namespace {

constexpr std::int64_t CanonicalHeaderBytes = 44;

} // namespace

std::optional<WaveFormat> readWaveFormat(const std::string& path) {
    std::ifstream in(pcPath(path), std::ios::binary | std::ios::ate);
    const auto end = static_cast<std::int64_t>(in.tellg());
    std::array<char, 12> riff{};
    if (!in || end < 12 || !in.seekg(0).read(riff.data(), riff.size()) ||
        std::memcmp(riff.data(), "RIFF", 4) != 0 || std::memcmp(riff.data() + 8, "WAVE", 4) != 0)
        return std::nullopt;
    std::optional<WaveFormat> format;
    std::int64_t at = 12;
    // Chunks in turn; each is looked at once, so a crafted length cannot loop.
    while (at + 8 <= end) {
        std::array<char, 24> chunk{};
        if (!in.seekg(at).read(chunk.data(), 8))
            return std::nullopt;
        const std::int64_t size = readLittleEndian(chunk.data() + 4);
        if (std::memcmp(chunk.data(), "fmt ", 4) == 0) {
            if (size < 16 || at + 8 + size > end || !in.read(chunk.data() + 8, 16))
                return std::nullopt;
            format = WaveFormat{};
            format->formatTag = static_cast<std::uint16_t>(readLittleEndian(chunk.data() + 8, 2));
            format->channels = static_cast<std::uint16_t>(readLittleEndian(chunk.data() + 10, 2));
            format->sampleRate = readLittleEndian(chunk.data() + 12);
            format->byteRate = readLittleEndian(chunk.data() + 16);
            format->blockAlign = static_cast<std::uint16_t>(readLittleEndian(chunk.data() + 20, 2));
            format->bitsPerSample =
                static_cast<std::uint16_t>(readLittleEndian(chunk.data() + 22, 2));
            format->canonical = at == 12 && size == 16;
        } else if (std::memcmp(chunk.data(), "data", 4) == 0) {
            if (!format)
                return std::nullopt;
            // A recorder that stopped early leaves a length beyond the file's end.
            format->dataBytes = static_cast<std::uint64_t>(std::min(size, end - at - 8));
            const std::int64_t riffEnd =
                8 + static_cast<std::int64_t>(readLittleEndian(riff.data() + 4));
            format->canonical = format->canonical && at == 36 &&
                                CanonicalHeaderBytes + size + (size & 1) == end && riffEnd == end;
            return format;
        }
        at += 8 + size + (size & 1); // chunks are padded to an even length
    }
    return std::nullopt;
}

bool isRiffWave(const std::string& path) {
    return readWaveFormat(path).has_value();
}

bool isHandheldWave(const WaveFormat& format) {
    const bool pcm = format.formatTag == 1 &&
                     (format.bitsPerSample == 8 || format.bitsPerSample == 16) &&
                     (format.channels == 1 || format.channels == 2);
    return pcm && format.canonical && format.sampleRate >= 8000 && format.sampleRate <= 44100 &&
           format.blockAlign == format.channels * format.bitsPerSample / 8 &&
           format.byteRate == format.sampleRate * format.blockAlign &&
           format.dataBytes % format.blockAlign == 0;
}

std::optional<std::chrono::microseconds> waveLength(const std::string& path) {
    const auto format = readWaveFormat(path);
    if (!format)
        return std::nullopt;
    // PCM counts whole frames at the sample rate; a compressed wave has only its average rate.
    if (format->formatTag == 1 && format->blockAlign != 0 && format->sampleRate != 0)
        return std::chrono::microseconds(format->dataBytes / format->blockAlign * 1'000'000 /
                                         format->sampleRate);
    if (format->byteRate == 0)
        return std::nullopt;
    return std::chrono::microseconds(format->dataBytes * 1'000'000 / format->byteRate);
}

std::string formatLength(std::chrono::microseconds length) {
    const long long tenths = (std::max<long long>(length.count(), 0) + 50'000) / 100'000;
    const long long seconds = tenths / 10 % 60;
    return std::to_string(tenths / 600) + (seconds < 10 ? ":0" : ":") + std::to_string(seconds) +
           "." + std::to_string(tenths % 10);
}
