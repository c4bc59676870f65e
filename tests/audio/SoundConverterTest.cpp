// Sounds of every encoding the decoder reads, converted into waves the handheld plays.
#include "audio/SoundConverter.h"
#include "audio/WaveFile.h"
#include "catalog/MessageError.h"
#include "files/ReplacementFile.h"
#include "support/ArchiveBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <numeric>
#include <optional>
#include <vector>

namespace fs = std::filesystem;

namespace {

// libsndfile opens a path by its wide name on Windows, where a narrow one is in the code page.
SNDFILE* openSound(const fs::path& path, int mode, SF_INFO* info) {
#ifdef _WIN32
    return sf_wchar_open(path.c_str(), mode, info);
#else
    return sf_open(path.c_str(), mode, info);
#endif
}

constexpr double ToneSeconds = 0.3;
// Each channel at its own level, so that a swapped, dropped or summed channel shows.
constexpr std::array<double, 6> ChannelLevels = {0.8, 0.2, 0.5, 0.1, 0.7, 0.4};

// 440 Hz with 10 ms raised-cosine fades, so that the resampler's edges stay quiet.
double tone(double seconds) {
    const double edge = std::min(seconds, ToneSeconds - seconds);
    const double fade =
        edge >= 0.01 ? 1.0 : 0.5 - 0.5 * std::cos(std::numbers::pi * std::max(edge, 0.0) / 0.01);
    return std::sin(2 * std::numbers::pi * 440 * seconds) * fade;
}

// The tone, silent after ToneSeconds.
void writeTone(const fs::path& path, int format, int channels, int rate,
               double seconds = ToneSeconds) {
    SF_INFO info{0, rate, channels, format, 0, 0};
    SNDFILE* sound = openSound(path, SFM_WRITE, &info);
    ASSERT_NE(sound, nullptr) << sf_strerror(nullptr);
    const auto frames = static_cast<sf_count_t>(std::lround(seconds * rate));
    std::vector<double> samples;
    for (sf_count_t frame = 0; frame < frames; ++frame)
        for (int channel = 0; channel < channels; ++channel)
            samples.push_back(ChannelLevels[channel] * tone(static_cast<double>(frame) / rate));
    EXPECT_EQ(sf_writef_double(sound, samples.data(), frames), frames);
    sf_close(sound);
}

// A sound's interleaved samples as the decoder gives them, as fractions of full scale.
struct Samples {
    std::vector<double> values;
    int channels = 0, rate = 0;
};

Samples readSamples(const fs::path& path) {
    SF_INFO info{};
    SNDFILE* sound = openSound(path, SFM_READ, &info);
    Samples samples{std::vector<double>(static_cast<std::size_t>(info.frames * info.channels)),
                    info.channels, info.samplerate};
    sf_readf_double(sound, samples.values.data(), info.frames);
    sf_close(sound);
    return samples;
}

// How far the samples stray from the tone, each channel at its level.
double strayFromTone(const Samples& samples, const std::vector<double>& levels) {
    double worst = 0;
    for (std::size_t i = 0; i < samples.values.size(); ++i) {
        const double seconds = static_cast<double>(i / levels.size()) / samples.rate;
        worst = std::max(worst,
                         std::abs(samples.values[i] - levels[i % levels.size()] * tone(seconds)));
    }
    return worst;
}

struct Encoding {
    const char* name;
    int format; // 0: the checked-in file named name
    // A canonical wave the handheld plays when it has at most two channels and 44.1 kHz.
    bool handheldPcm = false;
    int maxChannels = 6;
    std::vector<int> rates = {8000, 11025, 32000, 44100, 48000};
};

const std::vector<Encoding> Encodings = {
    {"WavPcmU8", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, true},
    {"WavPcm16", SF_FORMAT_WAV | SF_FORMAT_PCM_16, true},
    {"WavPcm24", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
    {"WavPcm32", SF_FORMAT_WAV | SF_FORMAT_PCM_32},
    {"WavFloat", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
    {"WavDouble", SF_FORMAT_WAV | SF_FORMAT_DOUBLE},
    {"WavImaAdpcm", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, false, 2},
    {"WavMsAdpcm", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, false, 2},
    {"WavUlaw", SF_FORMAT_WAV | SF_FORMAT_ULAW},
    {"WavAlaw", SF_FORMAT_WAV | SF_FORMAT_ALAW},
    {"WavExtensible", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16},
    {"Aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
    {"Flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
    {"OggVorbis", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
    {"OggOpus", SF_FORMAT_OGG | SF_FORMAT_OPUS, false, 2, {8000, 48000}},
    {"Mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, false, 2},
    {"tone-44100-stereo.mp3", 0, false, 2, {44100}},
    {"tone-48000-stereo.opus", 0, false, 2, {48000}},
};

struct Case {
    const Encoding* encoding;
    int channels, rate;
};

std::vector<Case> allCases() {
    std::vector<Case> cases;
    for (const Encoding& encoding : Encodings)
        for (const int channels : {1, 2, 6})
            for (const int rate : encoding.rates)
                if (channels <= encoding.maxChannels && (encoding.format != 0 || channels == 2))
                    cases.push_back({&encoding, channels, rate});
    return cases;
}

void PrintTo(const Case& param, std::ostream* out) {
    std::string name = param.encoding->name;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
    *out << name << "_" << param.channels << "ch_" << param.rate;
}

class SoundConverterTest : public testing::Test {
protected:
    TempFolder m_folder;
    fs::path m_target = m_folder.path() / "converted.wav";
};

class SoundConversion : public SoundConverterTest, public testing::WithParamInterface<Case> {};

// Named beyond ASCII, the target at length, as a user's files may be. The preview plays what the
// conversion makes, and its temporary file goes with it.
TEST_P(SoundConversion, MakesAHandheldWaveThatSoundsLikeTheSource) {
    const Case& param = GetParam();
    const fs::path source = m_folder.path() / pcPath("Gl\u00F6ckchen \u9418 \u266A");
    std::string longName;
    while (longName.size() < 200)
        longName += "\u00C4ngstr\u00F6m ";
    m_target = m_folder.path() / pcPath(longName + ".wav");
    if (param.encoding->format != 0)
        ASSERT_NO_FATAL_FAILURE(
            writeTone(source, param.encoding->format, param.channels, param.rate));
    else // a copy, so that a conversion that writes its source cannot harm the checked-in file
        fs::copy_file(fs::path(BELLTIDE_TEST_DATA) / "audio" / param.encoding->name, source);
    const Samples decoded = readSamples(source);
    ASSERT_EQ(decoded.rate, param.rate);
    const double codecError =
        strayFromTone(decoded, {ChannelLevels.begin(), ChannelLevels.begin() + decoded.channels});
    const std::string sourceBytes = readBytes(source);
    const bool asItStands =
        param.encoding->handheldPcm && param.channels <= 2 && param.rate <= 44100;

    EXPECT_EQ(probeSound(pcText(source)).kind,
              asItStands ? SoundKind::HandheldWave : SoundKind::Convertible);
    convertToHandheldWave(pcText(source), pcText(m_target));

    EXPECT_EQ(readBytes(source), sourceBytes);
    std::optional<PreviewWave> preview(std::in_place, pcText(source));
    const std::string previewPath = preview->path();
    EXPECT_EQ(readBytes(pcPath(previewPath)), readBytes(m_target));
    preview.reset();
    EXPECT_EQ(fs::exists(pcPath(previewPath)), asItStands);
    const auto format = readWaveFormat(pcText(m_target));
    ASSERT_TRUE(format && isHandheldWave(*format));
    const int rate = asItStands           ? param.rate
                     : param.rate < 22050 ? 11025
                     : param.rate < 44100 ? 22050
                                          : 44100;
    // Stereo keeps its two channels; anything else becomes their average.
    const std::vector<double> levels =
        param.channels == 2
            ? std::vector{ChannelLevels[0], ChannelLevels[1]}
            : std::vector{std::accumulate(ChannelLevels.begin(),
                                          ChannelLevels.begin() + param.channels, 0.0) /
                          param.channels};
    EXPECT_EQ(format->sampleRate, static_cast<std::uint32_t>(rate));
    EXPECT_EQ(format->channels, levels.size());
    const auto length = waveLength(pcText(m_target)).value_or(std::chrono::hours(1));
    EXPECT_NEAR(static_cast<double>(length.count()) / 1e6,
                static_cast<double>(decoded.values.size()) / decoded.channels / param.rate,
                1.0 / rate);
    if (asItStands) {
        EXPECT_EQ(readBytes(m_target), sourceBytes);
        return;
    }

    // The resampler adds its own small error to what the encoding lost, and its filter's
    // overshoot may make that loss up to half again as large.
    EXPECT_EQ(format->bitsPerSample, 16);
    EXPECT_LE(strayFromTone(readSamples(m_target), levels), 2 * codecError + 0.002)
        << "the source strays " << codecError;
}

INSTANTIATE_TEST_SUITE_P(Formats, SoundConversion, testing::ValuesIn(allCases()),
                         [](const auto& row) { return testing::PrintToString(row.param); });

TEST_F(SoundConverterTest, ClipsSamplesBeyondFullScale) {
    const fs::path source = m_folder.path() / "loud.wav";
    const float loud[] = {2.0f, -2.0f, 1e20f, -1e20f, std::nanf(""), 0.5f};
    writeBytes(source,
               waveBytes({reinterpret_cast<const char*>(loud), sizeof loud}, {3, 1, 11025, 32}));
    convertToHandheldWave(pcText(source), pcText(m_target));
    EXPECT_EQ(readSamples(m_target).values,
              (std::vector<double>{32767 / 32768.0, -1, 32767 / 32768.0, -1, 0, 0.5}));
}

// A conversion is bounded: a source below 4,000 Hz or over ten minutes is refused, by its header
// or, where the header does not tell its length, once the decoding passes ten minutes. A source
// that is no sound, or a target that cannot be written whole, is refused too. A refusal says why
// and leaves the target's old content and nothing else. The preview converts only the opening ten
// seconds, whatever the length.
enum class Trouble { None, LengthUntold, NoSound, DiskFull, NoFlush, SourceIsTarget };

struct Bound {
    const char* label;
    int rate, seconds;
    Trouble trouble;
    // How the message begins, {source} and {target} standing for those; nullptr: converted.
    const char* refusal;
    friend void PrintTo(const Bound& bound, std::ostream* out) { *out << bound.label; }
};

class ConversionBounds : public SoundConverterTest, public testing::WithParamInterface<Bound> {};

TEST_P(ConversionBounds, KeepWhatTheHandheldCanUseAndRefuseTheRestSayingWhy) {
    const Bound& bound = GetParam();
#ifdef _WIN32
    if (bound.trouble == Trouble::DiskFull)
        GTEST_SKIP() << "no file size limit";
#endif
    const fs::path source = m_folder.path() / "source.flac";
    if (bound.trouble == Trouble::NoSound)
        writeBytes(source, "not a sound at all");
    else
        ASSERT_NO_FATAL_FAILURE(
            writeTone(source, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, bound.rate, bound.seconds));
    if (bound.trouble == Trouble::LengthUntold) {
        // The stream info's 36-bit sample count, 0 for "not known".
        std::string bytes = readBytes(source);
        bytes[21] = static_cast<char>(bytes[21] & 0xF0);
        bytes.replace(22, 4, 4, '\0');
        writeBytes(source, bytes);
    }
    if (bound.trouble == Trouble::SourceIsTarget)
        m_target = source;
    else
        writeBytes(m_target, "old");
    const std::string before = readBytes(m_target);
    const auto length = [](const std::string& wave) {
        return waveLength(wave).value_or(std::chrono::hours(1));
    };
    {
        // The trouble the row makes, for the conversion only. The file size limit fails a write
        // as a full disk would, without a disk to fill.
        const ReplacementDiskCalls calls = replacementDiskCalls();
        const std::shared_ptr<void> undo(nullptr, [&](void*) { replacementDiskCalls() = calls; });
        if (bound.trouble == Trouble::NoFlush)
            replacementDiskCalls().flushFile = [](int) { return false; };
#ifndef _WIN32
        std::optional<FileSizeLimit> full;
        if (bound.trouble == Trouble::DiskFull)
            full.emplace(20000);
#endif
        try {
            convertToHandheldWave(pcText(source), pcText(m_target));
            EXPECT_EQ(bound.refusal, nullptr) << "converted";
            EXPECT_EQ(length(pcText(m_target)), std::chrono::seconds(bound.seconds));
        } catch (const MessageError& error) {
            ASSERT_NE(bound.refusal, nullptr) << error.text();
            std::string expected = bound.refusal;
            for (const auto& [name, path] : {std::pair{"{source}", source}, {"{target}", m_target}})
                if (const auto at = expected.find(name); at != std::string::npos)
                    expected.replace(at, std::string(name).size(), pcText(path));
            EXPECT_EQ(error.text().rfind(expected, 0), 0u) << error.text();
            EXPECT_EQ(readBytes(m_target), before);
            EXPECT_EQ(std::distance(fs::directory_iterator(m_folder.path()), {}),
                      bound.trouble == Trouble::SourceIsTarget ? 1 : 2)
                << "written";
        }
    }
    try {
        const PreviewWave preview(pcText(source), PreviewPart::Opening);
        EXPECT_EQ(length(preview.path()), std::chrono::seconds(std::min(bound.seconds, 10)));
    } catch (const MessageError&) {
        EXPECT_TRUE(bound.rate < LowestSourceRate || bound.trouble == Trouble::NoSound)
            << "the preview refused";
    }
}

using enum Trouble;
const Bound Bounds[] = {
    {"OneHertz", 1, 2048, None, "\"{source}\" is sampled at 1 Hz. "},
    {"Below4000Hz", 3999, 1, None, "\"{source}\" is sampled at 3999 Hz. "},
    {"At4000Hz", 4000, 1, None, nullptr},
    {"TenMinutes", 4000, 600, None, nullptr},
    {"OverTenMinutes", 4000, 601, None, "\"{source}\" plays 10:01.0. "},
    {"TenMinutesUntold", 4000, 600, LengthUntold, nullptr},
    {"OverTenMinutesUntold", 4000, 601, LengthUntold, "\"{source}\" plays longer than 10:00. "},
    {"NoSound", 4000, 1, NoSound, "Could not open file \"{source}\"."},
    {"DiskFull", 4000, 1, DiskFull, "Could not write file \"{target}\"."},
    {"FlushFailed", 4000, 1, NoFlush, "Could not write file \"{target}\"."},
    {"SourceIsTarget", 4000, 1, SourceIsTarget, "Could not write file \"{target}\"."},
};
INSTANTIATE_TEST_SUITE_P(Sources, ConversionBounds, testing::ValuesIn(Bounds),
                         [](const auto& param) { return std::string(param.param.label); });

} // namespace
