#include "SoundConverter.h"

#include "audio/AudioLibraries.h"
#include "audio/WaveFile.h"
#include "catalog/MessageError.h"
#include "files/LittleEndian.h"
#include "files/PcPath.h"
#include "files/ReplacementFile.h"
#include "files/TemporaryFolder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::array<int, 3> HandheldRates = {11025, 22050, 44100};
// Samples decoded at a time: memory stays small for a sound of any length or channel count.
constexpr sf_count_t BlockSamples = 32768;
// Frames the resampler makes at most per call, whatever the ratio of the rates.
constexpr double PieceFrames = 65536;
// What the 32-bit sizes of a RIFF header can hold after its 36 bytes of other header.
constexpr std::uint64_t MaxDataBytes = 0xFFFFFFFFull - 36;

// The libraries' calls, once openSound has found them.
const AudioLibraries& calls() {
    return *audioLibraries();
}

struct SoundCloser {
    void operator()(SNDFILE* sound) const { calls().close(sound); }
};
using SoundFile = std::unique_ptr<SNDFILE, SoundCloser>;

struct ResamplerDeleter {
    void operator()(soxr* resampler) const { calls().deleteResampler(resampler); }
};
using Resampler = std::unique_ptr<soxr, ResamplerDeleter>;

SoundFile openSound(const std::string& path, SF_INFO& info) {
    info = {};
    const AudioLibraries* libraries = audioLibraries();
    if (!libraries)
        return {};
#ifdef _WIN32
    SoundFile sound(libraries->wcharOpen(pcPath(path).c_str(), SFM_READ, &info));
#else
    SoundFile sound(libraries->open(pcPath(path).c_str(), SFM_READ, &info));
#endif
    // A header that claims no channels or no rate cannot be played or resampled.
    if (sound && (info.channels < 1 || info.samplerate < 1))
        sound.reset();
    return sound;
}

UndecodableSound openFailed(const std::string& path) {
    return UndecodableSound("Could not open file \"" + path + "\".");
}

MessageError tooSlow(const std::string& path, int rate) {
    return MessageError("\"" + path + "\" is sampled at " + std::to_string(rate) +
                        " Hz. Belltide converts sounds sampled at 4,000 Hz or more: a slower one "
                        "holds too little to make a sound the handheld plays.");
}

// Length is what the header tells, or nothing when decoding went past the limit.
MessageError tooLong(const std::string& path, std::optional<std::chrono::microseconds> length) {
    return MessageError("\"" + path + "\" plays " +
                        (length ? formatLength(*length) : std::string("longer than 10:00")) +
                        ". Belltide converts sounds of up to ten minutes: a handheld sound over "
                        "ten minutes is no notification sound, and its wave would take more than "
                        "100 MB.");
}

// A target that could not be written whole.
class WriteFailed : public MessageError {
public:
    explicit WriteFailed(const std::string& path)
        : MessageError("Could not write file \"" + path + "\".") {}
};

WriteFailed writeFailed(const std::string& path) {
    return WriteFailed(path);
}

std::string formatName(int format) {
    SF_FORMAT_INFO info{};
    info.format = format;
    if (calls().command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) != 0 || !info.name)
        return "unknown";
    return info.name;
}

std::string describe(const std::string& container, const std::string& encoding, int rate,
                     int channels) {
    const std::string layout = channels == 1   ? "mono"
                               : channels == 2 ? "stereo"
                                               : std::to_string(channels) + " channels";
    return container + ", " + encoding + ", " + std::to_string(rate) + " Hz, " + layout;
}

std::array<char, 44> canonicalHeader(const HandheldFormat& format, std::uint32_t dataBytes) {
    std::array<char, 44> header{};
    const auto blockAlign = static_cast<std::uint32_t>(format.channels * 2);
    std::memcpy(header.data(), "RIFF", 4);
    writeLittleEndian(header.data() + 4, 36 + dataBytes, 4);
    std::memcpy(header.data() + 8, "WAVEfmt ", 8);
    writeLittleEndian(header.data() + 16, 16, 4);
    writeLittleEndian(header.data() + 20, 1, 2); // PCM
    writeLittleEndian(header.data() + 22, static_cast<std::uint32_t>(format.channels), 2);
    writeLittleEndian(header.data() + 24, static_cast<std::uint32_t>(format.sampleRate), 4);
    writeLittleEndian(header.data() + 28,
                      static_cast<std::uint32_t>(format.sampleRate) * blockAlign, 4);
    writeLittleEndian(header.data() + 32, blockAlign, 2);
    writeLittleEndian(header.data() + 34, 16, 2);
    std::memcpy(header.data() + 36, "data", 4);
    writeLittleEndian(header.data() + 40, dataBytes, 4);
    return header;
}

// Decoded blocks in, 16-bit little-endian samples out to the stream, resampled on the way when
// the rate changes.
class WaveWriter {
public:
    WaveWriter(std::ostream& out, int sourceRate, const HandheldFormat& format)
        : m_out(out), m_channels(format.channels) {
        if (sourceRate == format.sampleRate)
            return;
        soxr_error_t error = nullptr;
        const soxr_io_spec_t io = calls().ioSpec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
        // 16-bit precision is all the target holds; one thread leaves the other core to the UI.
        const soxr_quality_spec_t quality = calls().qualitySpec(SOXR_16_BITQ, 0);
        const soxr_runtime_spec_t runtime = calls().runtimeSpec(1);
        m_resampler.reset(calls().createResampler(sourceRate, format.sampleRate,
                                                  static_cast<unsigned>(format.channels), &error,
                                                  &io, &quality, &runtime));
        if (error)
            m_resampler.reset();
        m_ratio = static_cast<double>(format.sampleRate) / sourceRate;
        m_resampling = true;
    }
    bool ready() const { return !m_resampling || m_resampler; }

    // An empty block ends the sound and drains the resampler.
    bool write(const float* frames, std::size_t count) {
        if (!m_resampler)
            return put(frames, count);
        const bool last = count == 0;
        const auto piece =
            std::max<std::size_t>(1, static_cast<std::size_t>(PieceFrames / m_ratio));
        while (true) {
            const std::size_t given = std::min(count, piece);
            const auto room = static_cast<std::size_t>(static_cast<double>(given) * m_ratio) + 4096;
            m_resampled.resize(room * static_cast<std::size_t>(m_channels));
            std::size_t used = 0, made = 0;
            if (calls().resample(m_resampler.get(), last ? nullptr : frames, given, &used,
                                 m_resampled.data(), room, &made) != nullptr ||
                !put(m_resampled.data(), made))
                return false;
            frames += used * static_cast<std::size_t>(m_channels);
            count -= used;
            if (last ? made == 0 : count == 0)
                return true;
            if (used == 0 && made == 0)
                return false; // a resampler that takes nothing would loop for ever
        }
    }
    std::uint64_t dataBytes() const { return m_dataBytes; }

private:
    bool put(const float* frames, std::size_t count) {
        const std::size_t samples = count * static_cast<std::size_t>(m_channels);
        m_bytes.resize(samples * 2);
        for (std::size_t i = 0; i < samples; ++i) {
            // Float sources may go past full scale or hold no number: clipped, never wrapped.
            const float scaled = frames[i] * 32768.0f;
            const long value =
                std::lrint(std::isnan(scaled) ? 0.0f : std::clamp(scaled, -32768.0f, 32767.0f));
            m_bytes[2 * i] = static_cast<char>(value & 0xFF);
            m_bytes[2 * i + 1] = static_cast<char>((value >> 8) & 0xFF);
        }
        m_dataBytes += m_bytes.size();
        return m_dataBytes <= MaxDataBytes &&
               m_out.write(m_bytes.data(), static_cast<std::streamsize>(m_bytes.size()));
    }

    std::ostream& m_out;
    int m_channels;
    double m_ratio = 1.0;
    bool m_resampling = false;
    Resampler m_resampler;
    std::vector<float> m_resampled;
    std::vector<char> m_bytes;
    std::uint64_t m_dataBytes = 0;
};

// How much a conversion decodes and whom it tells of its progress.
struct Reading {
    const std::string& source;
    PreviewPart part;
    const ConversionProgress& progress;
};

sf_count_t framesIn(std::chrono::seconds length, int rate) {
    return static_cast<sf_count_t>(length.count()) * rate;
}

// Without overflow for any count a header may give.
std::chrono::microseconds lengthOf(sf_count_t frames, int rate) {
    const sf_count_t seconds = std::min<sf_count_t>(frames / rate, 1'000'000'000'000);
    return std::chrono::microseconds(seconds * 1'000'000 + frames % rate * 1'000'000 / rate);
}

// Refuses a source out of bounds by its header, before anything is decoded.
void checkBounds(const SF_INFO& info, const Reading& reading) {
    if (info.samplerate < LowestSourceRate)
        throw tooSlow(reading.source, info.samplerate);
    if (reading.part == PreviewPart::Whole && info.frames != SF_COUNT_MAX &&
        info.frames > framesIn(LongestConversion, info.samplerate))
        throw tooLong(reading.source, lengthOf(info.frames, info.samplerate));
}

// Decodes source into the open stream as a canonical wave; false when a write fails.
bool writeConverted(SNDFILE* sound, const SF_INFO& info, std::ostream& out,
                    const Reading& reading) {
    const HandheldFormat format = handheldFormatFor(info.channels, info.samplerate);
    WaveWriter writer(out, info.samplerate, format);
    const auto header = canonicalHeader(format, 0);
    if (!writer.ready() || !out.write(header.data(), header.size()))
        return false;
    const bool opening = reading.part == PreviewPart::Opening;
    // The decoding stops past the limit, whatever the header said.
    const sf_count_t limit = framesIn(opening ? PreviewLength : LongestConversion, info.samplerate);
    const sf_count_t expected = info.frames != SF_COUNT_MAX ? std::min(info.frames, limit) : limit;
    const sf_count_t blockFrames = std::max<sf_count_t>(1, BlockSamples / info.channels);
    std::vector<float> decoded(static_cast<std::size_t>(blockFrames * info.channels));
    std::vector<float> folded;
    sf_count_t done = 0;
    while (true) {
        if (reading.progress &&
            !reading.progress(expected > 0 ? std::min(1.0, static_cast<double>(done) /
                                                               static_cast<double>(expected))
                                           : 0.0))
            throw ConversionCancelled{};
        const sf_count_t wanted = opening ? std::min(blockFrames, limit - done) : blockFrames;
        const sf_count_t count =
            wanted > 0 ? calls().readFloatFrames(sound, decoded.data(), wanted) : 0;
        if (count <= 0)
            break;
        done += count;
        if (done > limit)
            throw tooLong(reading.source, std::nullopt);
        const float* frames = decoded.data();
        if (info.channels > 2) {
            // More than two channels become mono by their plain average.
            folded.assign(static_cast<std::size_t>(count), 0.0f);
            for (sf_count_t frame = 0; frame < count; ++frame) {
                float sum = 0.0f;
                for (int channel = 0; channel < info.channels; ++channel)
                    sum += decoded[static_cast<std::size_t>(frame * info.channels + channel)];
                folded[static_cast<std::size_t>(frame)] = sum / static_cast<float>(info.channels);
            }
            frames = folded.data();
        }
        if (!writer.write(frames, static_cast<std::size_t>(count)))
            return false;
    }
    if (calls().error(sound) != SF_ERR_NO_ERROR)
        throw openFailed(reading.source);
    if (!writer.write(nullptr, 0))
        return false;
    const auto finalHeader =
        canonicalHeader(format, static_cast<std::uint32_t>(writer.dataBytes()));
    return static_cast<bool>(out.seekp(0).write(finalHeader.data(), finalHeader.size()).flush());
}

bool sameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    return fs::equivalent(pcPath(first), pcPath(second), error);
}

// A name in this run's private temporary folder.
std::string temporaryPath(const std::string& prefix, const std::string& suffix) try {
    return pcText(newTemporaryPath(prefix, suffix));
} catch (const TemporaryFolderError& error) {
    throw NoTemporaryFolder(error.what());
}

void convert(const std::string& source, const std::string& target, const Reading& reading) {
    if (sameFile(source, target))
        throw writeFailed(target);
    const bool asItStands = playsAsItStands(source);
    SF_INFO info;
    SoundFile sound;
    if (!asItStands) {
        // A program without its decoder says so rather than blame the sound.
        if (std::string problem; !audioLibraries(&problem))
            throw MessageError(problem);
        if (!(sound = openSound(source, info)))
            throw openFailed(source);
        checkBounds(info, reading);
    }

    ReplacementFile replacement(target);
    {
        std::ofstream out(replacement.path(), std::ios::binary | std::ios::trunc);
        bool written = false;
        if (asItStands) {
            std::ifstream in(pcPath(source), std::ios::binary);
            if (!in)
                throw openFailed(source);
            written =
                static_cast<bool>(out << in.rdbuf()) && in.peek() == std::char_traits<char>::eof();
        } else {
            written = out && writeConverted(sound.get(), info, out, reading);
        }
        out.close();
        if (!written || !out)
            throw writeFailed(target);
    }
    if (!replacement.commit())
        throw writeFailed(target);
}

} // namespace

HandheldFormat handheldFormatFor(int channels, int sampleRate) {
    HandheldFormat format{channels == 2 ? 2 : 1, HandheldRates.front()};
    for (const int rate : HandheldRates)
        if (rate <= sampleRate)
            format.sampleRate = rate;
    return format;
}

SoundProbe probeSound(const std::string& path) {
    if (const auto wave = readWaveFormat(path); wave && isHandheldWave(*wave))
        return {SoundKind::HandheldWave,
                describe("WAV", std::to_string(wave->bitsPerSample) + " bit PCM",
                         static_cast<int>(wave->sampleRate), wave->channels)};
    SF_INFO info;
    const SoundFile sound = openSound(path, info);
    if (!sound)
        return {SoundKind::Undecodable, {}};
    return {SoundKind::Convertible,
            describe(formatName(info.format & SF_FORMAT_TYPEMASK),
                     formatName(info.format & SF_FORMAT_SUBMASK), info.samplerate, info.channels)};
}

bool playsAsItStands(const std::string& path) {
    const auto wave = readWaveFormat(path);
    return wave && isHandheldWave(*wave);
}

void convertToHandheldWave(const std::string& source, const std::string& target,
                           const ConversionProgress& progress) {
    convert(source, target, Reading{source, PreviewPart::Whole, progress});
}

PreviewWave::PreviewWave(const std::string& source, PreviewPart part,
                         const ConversionProgress& progress)
    : m_path(source) {
    if (playsAsItStands(source))
        return;
    m_path = temporaryPath("preview-", ".wav");
    try {
        convert(source, m_path, Reading{source, part, progress});
    } catch (const WriteFailed&) {
        // The user never named that file: say what it was for.
        throw MessageError("Belltide could not write the conversion of \"" + source +
                           "\" into its temporary folder \"" + folderOf(m_path) +
                           "\": its disk may be full.");
    }
    m_temporary = true;
}

PreviewWave::~PreviewWave() {
    if (!m_temporary)
        return;
    std::error_code ignored;
    fs::remove(pcPath(m_path), ignored);
}

ConvertedWaves::~ConvertedWaves() {
    if (m_folder.empty())
        return;
    std::error_code ignored;
    fs::remove_all(pcPath(m_folder), ignored);
}

std::string ConvertedWaves::folderFor(const std::string& folder, const std::string& fileName,
                                      const ConversionProgress& progress) {
    const std::string source = folder + fileName;
    if (!isReadableFile(source) || playsAsItStands(source))
        return folder;
    if (m_folder.empty()) {
        const std::string made = temporaryPath("upload-", "");
        std::error_code error;
        if (!fs::create_directory(pcPath(made), error))
            throw writeFailed(made);
        m_folder = made + PathSeparator;
    }
    std::error_code error;
    if (!fs::exists(pcPath(m_folder + fileName), error))
        convertToHandheldWave(source, m_folder + fileName, progress);
    return m_folder;
}
