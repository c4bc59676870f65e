// The static libsndfile and libsoxr of the Windows build: a tone written in each compressed format
// into a folder whose name no ANSI code page holds, read back through the wide-character entry
// and resampled. A plain program, as the 32-bit build (which has no GoogleTest) links it too.
#include <windows.h>

#include <sndfile.h>
#include <soxr.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int ToneRate = 48000; // Opus takes no other CD-like rate
constexpr int ResampledRate = 44100;
constexpr sf_count_t ToneFrames = ToneRate / 2;
constexpr double ToneAmplitude = 0.5;

int failures = 0;

void Fail(const char* format_name, const std::string& what) {
    std::printf("FAIL %s: %s\n", format_name, what.c_str());
    ++failures;
}

double Rms(const float* samples, size_t count) {
    double sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum += double(samples[i]) * samples[i];
    return count == 0 ? 0 : std::sqrt(sum / double(count));
}

// A lossy codec keeps a plain tone's loudness within a few per cent.
bool LoudAsTheTone(double rms) {
    return std::abs(rms - ToneAmplitude / std::numbers::sqrt2) < 0.03;
}

struct Format {
    const char* name;
    const wchar_t* file;
    int format;
};

void Check(const std::wstring& folder, const Format& f, const std::vector<float>& tone) {
    const std::wstring path = folder + L"\\" + f.file;
    SF_INFO info{};
    info.samplerate = ToneRate;
    info.channels = 1;
    info.format = f.format;
    if (!sf_format_check(&info))
        return Fail(f.name, "this libsndfile cannot write it");
    SNDFILE* out = sf_wchar_open(path.c_str(), SFM_WRITE, &info);
    if (!out)
        return Fail(f.name, std::string("write open: ") + sf_strerror(nullptr));
    const sf_count_t written = sf_writef_float(out, tone.data(), ToneFrames);
    sf_close(out);
    if (written != ToneFrames)
        return Fail(f.name, "wrote " + std::to_string(written) + " frames");

    // Under exactly that name: a file reached through a narrow name would land elsewhere.
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes) ||
        attributes.nFileSizeLow < 1000)
        return Fail(f.name, "no file under its wide name");

    SF_INFO read_info{};
    SNDFILE* in = sf_wchar_open(path.c_str(), SFM_READ, &read_info);
    if (!in)
        return Fail(f.name, std::string("read open: ") + sf_strerror(nullptr));
    std::vector<float> samples(size_t(ToneFrames) * 2);
    sf_count_t frames = 0;
    for (sf_count_t n; (n = sf_readf_float(in, samples.data() + frames,
                                           sf_count_t(samples.size()) - frames)) > 0;)
        frames += n;
    sf_close(in);
    if ((read_info.format & SF_FORMAT_TYPEMASK) != (f.format & SF_FORMAT_TYPEMASK) ||
        read_info.samplerate != ToneRate || read_info.channels != 1)
        return Fail(f.name, "read back as another kind of file");
    // The codecs' delay and padding are taken off again: the tone's own length comes back.
    if (read_info.frames != ToneFrames || frames != ToneFrames)
        return Fail(f.name, "read " + std::to_string(frames) + " frames of " +
                                std::to_string(read_info.frames) + " announced, not " +
                                std::to_string(ToneFrames));
    // Its middle, away from the codecs' ramps at the edges.
    if (!LoudAsTheTone(Rms(samples.data() + ToneFrames / 4, size_t(ToneFrames) / 2)))
        return Fail(f.name, "the tone did not come back");

    std::vector<float> resampled(static_cast<size_t>(ToneFrames));
    size_t used = 0, made = 0;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    if (const soxr_error_t error =
            soxr_oneshot(ToneRate, ResampledRate, 1, samples.data(), size_t(frames), &used,
                         resampled.data(), resampled.size(), &made, &io, &quality, nullptr))
        return Fail(f.name, std::string("soxr: ") + error);
    const size_t expected = size_t(ToneFrames) * ResampledRate / ToneRate;
    if (used != size_t(frames) || made != expected)
        return Fail(f.name, "resampled " + std::to_string(used) + " frames into " +
                                std::to_string(made) + ", not " + std::to_string(expected));
    if (!LoudAsTheTone(Rms(resampled.data() + expected / 4, expected / 2)))
        return Fail(f.name, "the resampled tone is lost");
    std::printf("ok %s\n", f.name);
}

} // namespace

int main() {
    std::vector<float> tone(static_cast<size_t>(ToneFrames));
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] =
            float(ToneAmplitude * std::sin(2 * std::numbers::pi * 440 * double(i) / ToneRate));

    // Latin accents and Cyrillic together: no single ANSI code page has both.
    wchar_t temp[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH)
        return std::puts("FAIL: no temporary folder"), 1;
    const std::wstring folder = std::wstring(temp) +
                                L"belltide-J\u00f6s\u00e9 \u0417\u0432\u0443\u043a-" +
                                std::to_wstring(GetCurrentProcessId());
    if (!CreateDirectoryW(folder.c_str(), nullptr))
        return std::puts("FAIL: no test folder"), 1;

    const Format formats[] = {
        {"Ogg Vorbis", L"t\u00f6ne.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
        {"FLAC", L"t\u00f6ne.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
        {"Opus", L"t\u00f6ne.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS},
        {"MP3", L"t\u00f6ne.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
    };
    for (const Format& f : formats) {
        Check(folder, f, tone);
        DeleteFileW((folder + L"\\" + f.file).c_str());
    }
    RemoveDirectoryW(folder.c_str());
    std::printf("%s\n", failures == 0 ? "all formats passed" : "FAILED");
    return failures == 0 ? 0 : 1;
}
