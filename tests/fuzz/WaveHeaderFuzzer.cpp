// Feeds arbitrary bytes to the wave header reader as a file; what it reports must fit the file.
#include "FuzzInput.h"
#include "audio/WaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = (fuzzFolder() / "sound.wav").string();
    writeFuzzFile(path, fuzzBytes(data, size));
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
