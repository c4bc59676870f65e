// Feeds arbitrary bytes, as a sound the user picked, to the probe, the preview and the
// conversion: a wave made is one the handheld plays, within the bounds; a sound refused is told
// in a message and leaves nothing written; a handheld wave goes byte for byte.
#include "FuzzInput.h"
#include "audio/SoundConverter.h"
#include "audio/WaveFile.h"

#include <iterator>

// libsndfile 1.2 leaves libvorbis's setup of a damaged Ogg Vorbis header unfreed when it refuses
// the file: a few kilobytes each time, none of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:vorbis_info_init\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The previews in memory too, where there is a memory file system.
    static const bool previewsInMemory =
        fs::is_directory("/dev/shm") && setenv("TMPDIR", "/dev/shm", 1) == 0;
    static_cast<void>(previewsInMemory);
    const std::string pick = (fuzzFolder() / "pick.snd").string(),
                      wave = (fuzzFolder() / "wave.wav").string();
    const std::string_view bytes = fuzzBytes(data, size);
    writeFuzzFile(pick, bytes);
    fs::remove(wave);
    const auto handheldWave = [](const std::string& path, std::chrono::seconds longest) {
        return playsAsItStands(path) && waveLength(path) <= longest;
    };

    const SoundKind kind = probeSound(pick).kind;
    try {
        const PreviewWave preview(pick, PreviewPart::Opening);
        if (preview.isConversion() && !handheldWave(preview.path(), PreviewLength))
            std::abort();
    } catch (const MessageError&) {
        if (kind == SoundKind::HandheldWave)
            std::abort();
    }
    try {
        convertToHandheldWave(pick, wave);
    } catch (const MessageError&) {
        if (kind == SoundKind::HandheldWave || fs::exists(wave))
            std::abort(); // a wave refused, or a refusal that left a file
        return 0;
    }
    std::ifstream in(wave, std::ios::binary);
    if (kind == SoundKind::Undecodable || !handheldWave(wave, LongestConversion) ||
        (kind == SoundKind::HandheldWave &&
         std::string(std::istreambuf_iterator<char>(in), {}) != bytes))
        std::abort();
    return 0;
}
