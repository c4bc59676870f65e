// Makes the factory image of the virtual handheld: a registry with the default event scheme and
// a "Wave" for every notification, and a short, distinct wave file for every sound it names.
// An existing device folder is left as it is: the user may have changed it.
#include "WaveWriter.h"
#include "catalog/SoundCatalog.h"
#include "device/RegistryFile.h"
#include "device/Utf16.h"
#include "files/PcPath.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#endif

namespace fs = std::filesystem;

namespace {

// The notification sounds of the factory image, in the order of the catalog's keys.
const char* const NotificationWaves[SoundCatalog::NotificationCount] = {
    "notify", "beginsync", "endsync", "newmail", "online",  "msnonline",
    "msnmsg", "lowbatt",   "beam",    "default", "reminder"};

// The k-th sound: a few decaying tones whose count, pitch and spacing follow from k.
std::vector<std::int16_t> toneFor(int k, int sampleRate) {
    const int beeps = 1 + k % 3;
    const double pitch = 392.0 * std::pow(2.0, (k * 5 % 24) / 12.0);
    const double spacing = 0.09 + 0.03 * (k % 4);
    const double length = spacing * beeps + 0.25;
    std::vector<std::int16_t> samples(static_cast<std::size_t>(length * sampleRate));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        double value = 0;
        for (int b = 0; b < beeps; ++b) {
            const double start = b * spacing;
            if (t < start)
                continue;
            const double local = t - start;
            const double frequency = pitch * (1.0 + 0.25 * b);
            value += std::exp(-14.0 * local) * std::min(1.0, local / 0.003) *
                     (std::sin(2 * std::numbers::pi * frequency * local) +
                      0.3 * std::sin(4 * std::numbers::pi * frequency * local));
        }
        samples[i] = static_cast<std::int16_t>(std::clamp(value * 9000.0, -32000.0, 32000.0));
    }
    return samples;
}

std::vector<std::uint8_t> multiString(const std::vector<std::string>& strings) {
    std::vector<std::uint8_t> data;
    for (const auto& text : strings) {
        const auto bytes = utf16Bytes(text);
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    data.insert(data.end(), {0, 0});
    return data;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_device FOLDER\n");
        return 2;
    }
#ifdef _WIN32
    // The folder as typed: the narrow arguments lose what the ANSI code page cannot hold.
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    const fs::path target = count == 2 ? fs::path(wide[1]) : pcPath(argv[1]);
    LocalFree(wide);
#else
    const fs::path target = argv[1];
#endif
    if (fs::exists(target))
        return 0;
    const fs::path building = fs::path(target).concat(".building");
    fs::remove_all(building);
    fs::create_directories(building / "Windows");

    auto registry = RegistryFile::fromBytes(std::string(RegistryFile::Header) + "\r\n");
    std::vector<std::string> scheme;
    std::set<std::string> waves;
    for (int slot = 0; slot < SoundCatalog::EventSlotCount; ++slot) {
        const std::string wave(SoundCatalog::defaultWaveName(slot));
        scheme.push_back(wave.empty() ? " " : wave);
        if (!wave.empty())
            waves.insert(wave);
    }
    registry.set("HKEY_LOCAL_MACHINE\\Snd\\Event", "Curr0", {7, multiString(scheme)});
    for (int i = 0; i < SoundCatalog::NotificationCount; ++i) {
        registry.set("HKEY_CURRENT_USER\\" + std::string(SoundCatalog::notificationKey(i)), "Wave",
                     {1, utf16Bytes(NotificationWaves[i])});
        waves.insert(NotificationWaves[i]);
    }
    if (!replaceFileBytes(pcText(building / "registry.reg"), registry.toBytes()))
        return 1;
    int k = 0;
    for (const auto& wave : waves) {
        constexpr int Rate = 22050;
        if (!writeMonoWave(building / "Windows" / pcPath(wave + ".wav"), Rate, toneFor(k++, Rate)))
            return 1;
    }
    fs::rename(building, target);
    return 0;
}
