#include "ui/sound/SdlSoundPlayer.h"

#include "WaveWriter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace {

constexpr int Rate = 44100;

// Frames of the disk driver's output: interleaved 16-bit stereo.
std::vector<std::int16_t> readOutput(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::int16_t> samples;
    std::int16_t sample = 0;
    while (in.read(reinterpret_cast<char*>(&sample), sizeof sample))
        samples.push_back(sample);
    return samples;
}

struct Span {
    std::size_t frames = 0, first = SIZE_MAX, last = 0;
};

// Where the frames whose both channels hold value lie in the output. SDL's conversion may
// round a sample by one step.
Span framesOf(const std::vector<std::int16_t>& samples, std::int16_t value) {
    const auto near = [value](std::int16_t sample) { return std::abs(sample - value) <= 1; };
    Span run;
    for (std::size_t i = 0; i + 1 < samples.size(); i += 2) {
        if (near(samples[i]) && near(samples[i + 1])) {
            ++run.frames;
            run.first = std::min(run.first, i / 2);
            run.last = i / 2;
        }
    }
    return run;
}

} // namespace

class SdlSoundPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        output = folder.path() / "output.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    }

    // A wave whose every sample holds one value, so its frames can be found in the output.
    std::string flatWave(const std::string& name, std::int16_t value, double seconds) {
        const auto path = (folder.path() / name).string();
        EXPECT_TRUE(writeMonoWave(
            path, Rate,
            std::vector<std::int16_t>(static_cast<std::size_t>(seconds * Rate), value)));
        return path;
    }

    // Waits until the output holds at least this many frames of the value.
    void waitForFrames(std::int16_t value, std::size_t frames) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (framesOf(readOutput(output), value).frames < frames &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    TempFolder folder;
    std::filesystem::path output;
};

TEST_F(SdlSoundPlayerTest, ANewSoundCutsOffTheOnePlaying) {
    const auto longWave = flatWave("long.wav", 1000, 3.0);
    const auto shortWave = flatWave("short.wav", -2000, 0.2);
    {
        SdlSoundPlayer player;
        player.playFile(longWave);
        waitForFrames(1000, Rate / 5);
        player.playFile(shortWave);
        waitForFrames(-2000, 8820);
    }
    const Span first = framesOf(readOutput(output), 1000);
    const Span second = framesOf(readOutput(output), -2000);
    EXPECT_GT(first.frames, 0u);
    EXPECT_LT(first.frames, std::size_t{2 * Rate}) << "the long sound was not cut off";
    EXPECT_EQ(second.frames, 8820u) << "every sample of the new sound is played";
    EXPECT_LT(first.last, second.first);
}

TEST_F(SdlSoundPlayerTest, GivesTheOutputBackOnlyWhenTheSoundHasEnded) {
    const auto wave = flatWave("flat.wav", 3000, 0.5);
    SdlSoundPlayer player;
    player.playFile(wave);
    waitForFrames(3000, Rate / 10);
    player.releaseIdleOutput();
    waitForFrames(3000, Rate / 2);
    EXPECT_EQ(framesOf(readOutput(output), 3000).frames, std::size_t{Rate / 2})
        << "still playing: the output stays";
    player.releaseIdleOutput();
    const auto size = std::filesystem::file_size(output);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(std::filesystem::file_size(output), size) << "no more silence is written";
    player.playFile(wave);
    waitForFrames(3000, Rate / 2);
    EXPECT_EQ(framesOf(readOutput(output), 3000).frames, std::size_t{Rate / 2})
        << "the next sound opens the output again";
}

TEST_F(SdlSoundPlayerTest, AFileThatIsNoWaveGivesTheDefaultSound) {
    const auto notWave = folder.writeFile("text.wav", 500, 'z').string();
    for (const auto& path : {notWave, (folder.path() / "missing.wav").string()}) {
        {
            SdlSoundPlayer player;
            player.playFile(path);
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        }
        const auto samples = readOutput(output);
        const auto audible = std::count_if(samples.begin(), samples.end(),
                                           [](std::int16_t s) { return std::abs(s) > 1000; });
        EXPECT_GT(audible, Rate / 20) << path;
    }
}

TEST_F(SdlSoundPlayerTest, WithoutAnAudioDeviceStaysSilent) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    const auto wave = flatWave("flat.wav", 3000, 0.1);
    SdlSoundPlayer player;
    player.playFile(wave);
    player.playFile(wave);
    player.stop();
    EXPECT_FALSE(std::filesystem::exists(output));
}
