// Converting three minutes of sound into a handheld wave, against sox doing the same conversion;
// Belltide's as Change Sound makes it, on a worker under a progress dialog that takes Cancel.
#include "audio/SoundConverter.h"
#include "files/PcPath.h"
#include "support/FakeProgressWindows.h"
#include "transfer/CConversionDlg.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

namespace {

void run(const std::string& command) {
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("failed: " + command);
}

struct Inputs {
    fs::path folder = fs::temp_directory_path() / "belltide-audio-bench";
    // A 44.1 kHz stereo MP3 that keeps its rate, and a 48 kHz 24-bit FLAC that is resampled.
    std::string sources[2] = {pcText(folder / "music.mp3"), pcText(folder / "music.flac")};
    const char* soxEffects[2] = {"", " rate 44100"};

    Inputs() {
        fs::create_directories(folder);
        const std::string tones = " synth 180 pinknoise vol 0.5";
        run("sox -q -n -r 44100 -c 2 -b 16 '" + pcText(folder / "music.wav") + "'" + tones);
        run("lame --quiet -b 192 '" + pcText(folder / "music.wav") + "' '" + sources[0] + "'");
        run("sox -q -n -r 48000 -c 2 -b 24 '" + sources[1] + "'" + tones);
    }
    ~Inputs() { fs::remove_all(folder); }
    std::string target() const { return pcText(folder / "out.wav"); }
};

const Inputs& inputs() {
    static const Inputs made;
    return made;
}

void BM_BelltideConvert(benchmark::State& state) {
    const Inputs& in = inputs();
    FakeProgressWindows windows;
    for (auto _ : state) {
        if (!CConversionDlg::convert(in.sources[state.range(0)], windows))
            throw std::runtime_error("not converted");
        windows.runs.clear();
    }
}

void BM_SoxConvert(benchmark::State& state) {
    const Inputs& in = inputs();
    // Without dither, as Belltide converts.
    const std::string command = "sox -q -D '" + in.sources[state.range(0)] + "' -b 16 '" +
                                in.target() + "'" + in.soxEffects[state.range(0)];
    for (auto _ : state)
        run(command);
}

void BM_SoxStartOnly(benchmark::State& state) {
    const std::string command = "sox -q -n -r 44100 -c 2 '" + inputs().target() + "' trim 0 0";
    for (auto _ : state)
        run(command);
}

} // namespace

BENCHMARK(BM_BelltideConvert)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoxConvert)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoxStartOnly)->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
