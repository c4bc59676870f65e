#include "ui/sound/SdlSoundPlayer.h"

#include "WaveWriter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int Rate = 44100;

// SDL's disk driver writes what it plays, interleaved 16-bit stereo, to a file at a device's pace.
class SdlSoundPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    }
    std::vector<std::int16_t> samples() const {
        std::ifstream in(output, std::ios::binary);
        std::vector<std::int16_t> all;
        for (std::int16_t sample = 0; in.read(reinterpret_cast<char*>(&sample), sizeof sample);)
            all.push_back(sample);
        return all;
    }
    struct Span {
        std::size_t frames = 0, first = SIZE_MAX, last = 0;
    };
    // Where the frames whose both channels hold value lie; SDL may round a sample by one step.
    Span framesOf(std::int16_t value) const {
        const auto all = samples();
        Span run;
        for (std::size_t i = 0; i + 1 < all.size(); i += 2)
            if (std::abs(all[i] - value) <= 1 && std::abs(all[i + 1] - value) <= 1)
                run = {run.frames + 1, std::min(run.first, i / 2), i / 2};
        return run;
    }
    // Plays a wave whose every sample holds value, so that its frames can be found in the
    // output, until so many of them are out.
    void play(SdlSoundPlayer& player, std::int16_t value, double seconds, std::size_t frames) {
        const auto path = (folder.path() / (std::to_string(value) + ".wav")).string();
        ASSERT_TRUE(writeMonoWave(path, Rate, std::vector<std::int16_t>(seconds * Rate, value)));
        player.playFile(path);
        waitForFrames(value, frames);
    }
    void waitForFrames(std::int16_t value, std::size_t frames) {
        for (auto end = std::chrono::steady_clock::now() + 10s;
             framesOf(value).frames < frames && std::chrono::steady_clock::now() < end;)
            std::this_thread::sleep_for(20ms);
    }

    TempFolder folder;
    fs::path output = folder.path() / "output.raw";
};

// A new sound cuts off the one playing, and so does stop; the output is given back only once a
// sound has ended; a file that is no wave plays the default sound.
TEST_F(SdlSoundPlayerTest, ANewSoundOrStopCutsOffTheOnePlayingAndTheOutputIsKeptWhilePlaying) {
    SdlSoundPlayer player;
    play(player, 1000, 3.0, Rate / 5);
    play(player, -2000, 0.5, Rate / 10);
    player.releaseIdleOutput();
    waitForFrames(-2000, Rate / 2);
    // SDL's own handlers would swallow SIGTERM while a sound plays.
    EXPECT_EQ(std::signal(SIGTERM, SIG_DFL), SIG_DFL);
    const Span first = framesOf(1000), second = framesOf(-2000);
    EXPECT_GT(first.frames, 0u);
    EXPECT_LT(first.frames, std::size_t{2 * Rate}) << "the long sound was not cut off";
    EXPECT_EQ(second.frames, std::size_t{Rate / 2}) << "still playing: the output stays";
    EXPECT_LT(first.last, second.first);
    player.releaseIdleOutput();
    const auto size = fs::file_size(output);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(fs::file_size(output), size) << "no more silence is written";
    // The next sound opens the output again; stopped, it ends at once.
    play(player, 3000, 2.0, Rate / 10);
    player.stop();
    std::this_thread::sleep_for(500ms);
    EXPECT_GE(framesOf(3000).frames, std::size_t{Rate / 10}) << "the next sound opens the output";
    EXPECT_LT(framesOf(3000).frames, std::size_t{Rate / 4}) << "the sound went on after stop";
    // SDL reads a missing file and one that is no wave alike: both give the default sound.
    const std::size_t before = samples().size();
    player.playFile(folder.writeFile("text.wav", 500, 'z').string());
    std::this_thread::sleep_for(400ms);
    const auto all = samples();
    EXPECT_GT(std::count_if(all.begin() + before, all.end(),
                            [](auto sample) { return std::abs(sample) > 1000; }),
              Rate / 20);
}
