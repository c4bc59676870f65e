// Feeds arbitrary bytes to the wave header reader as a file; what it reports must fit the file.
#include "audio/WaveFile.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("belltide-fuzz-" + std::to_string(getpid())))
            .string();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const auto format = readWaveFormat(path);
    if (format && format->dataBytes > size)
        std::abort();
    // A wave played as it stands is exactly its 44-byte header and its data.
    if (format && isHandheldWave(*format) && format->dataBytes + 44 != size &&
        format->dataBytes + 45 != size)
        std::abort();
    if (const auto length = waveLength(path))
        formatLength(*length);
    return 0;
}
