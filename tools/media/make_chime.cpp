// Generates the welcome sound: a two-note bell chime, mono 16-bit PCM.
#include "WaveWriter.h"
#include "files/PcPath.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr int SampleRate = 22050;

// A struck bell: a few inharmonic partials, each dying away at its own rate.
void addBell(std::vector<double>& mix, double startSeconds, double fundamentalHz, double gain) {
    struct Partial {
        double ratio, level, decayPerSecond;
    };
    constexpr Partial partials[] = {
        {0.5, 0.35, 2.2}, {1.0, 1.0, 3.0},   {1.19, 0.45, 4.5},  {1.5, 0.3, 5.5},
        {2.0, 0.35, 6.5}, {2.74, 0.15, 9.0}, {3.76, 0.08, 12.0},
    };
    const auto start = static_cast<std::size_t>(startSeconds * SampleRate);
    for (std::size_t i = start; i < mix.size(); ++i) {
        const double t = static_cast<double>(i - start) / SampleRate;
        const double attack = std::min(1.0, t / 0.004);
        for (const auto& p : partials)
            mix[i] += gain * attack * p.level * std::exp(-p.decayPerSecond * t) *
                      std::sin(2.0 * std::numbers::pi * fundamentalHz * p.ratio * t);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_chime OUTPUT.wav\n");
        return 2;
    }
    std::vector<double> mix(static_cast<std::size_t>(SampleRate * 1.6), 0.0);
    addBell(mix, 0.0, 659.25, 1.0);  // E5
    addBell(mix, 0.28, 987.77, 0.8); // B5
    double peak = 0.0;
    for (const double v : mix)
        peak = std::max(peak, std::abs(v));
    std::vector<std::int16_t> samples;
    samples.reserve(mix.size());
    for (std::size_t i = 0; i < mix.size(); ++i) {
        const double fadeOut =
            std::min(1.0, static_cast<double>(mix.size() - i) / (0.05 * SampleRate));
        samples.push_back(
            static_cast<std::int16_t>(std::lround(mix[i] / peak * 0.6 * 32767.0 * fadeOut)));
    }
    return writeMonoWave(pcPath(argv[1]), SampleRate, samples) ? 0 : 1;
}
