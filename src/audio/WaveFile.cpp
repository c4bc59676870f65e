#include "WaveFile.h"

#include "files/PcPath.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace {

std::uint32_t littleEndian(const char* bytes) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

} // namespace

bool isRiffWave(const std::string& path) {
    std::ifstream in(pcPath(path), std::ios::binary | std::ios::ate);
    const auto end = static_cast<std::int64_t>(in.tellg());
    std::array<char, 12> riff{};
    if (!in || end < 12 || !in.seekg(0).read(riff.data(), riff.size()) ||
        std::memcmp(riff.data(), "RIFF", 4) != 0 || std::memcmp(riff.data() + 8, "WAVE", 4) != 0)
        return false;
    bool format = false;
    std::int64_t at = 12;
    // Chunks in turn; each is looked at once, so a crafted length cannot loop.
    while (at + 8 <= end) {
        std::array<char, 8> chunk{};
        if (!in.seekg(at).read(chunk.data(), chunk.size()))
            return false;
        const std::int64_t size = littleEndian(chunk.data() + 4);
        if (std::memcmp(chunk.data(), "fmt ", 4) == 0)
            format = size >= 16 && at + 8 + size <= end;
        else if (std::memcmp(chunk.data(), "data", 4) == 0)
            return format;
        at += 8 + size + (size & 1); // chunks are padded to an even length
    }
    return false;
}
