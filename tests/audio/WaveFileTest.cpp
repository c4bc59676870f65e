// Wave headers: what the handheld plays as it stands, and the length shown in the list.
#include "audio/WaveFile.h"
#include "support/ArchiveBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {

// A second of 16-bit stereo, the header made canonical or not by the layout.
struct Header {
    const char* name;
    bool handheld;
    WaveLayout layout;
    friend void PrintTo(const Header& header, std::ostream* out) { *out << header.name; }
};

class WaveFileTest : public testing::Test {
protected:
    std::string write(const std::string& bytes) {
        writeBytes(m_folder.path() / "sound.wav", bytes);
        return pcText(m_folder.path() / "sound.wav");
    }
    TempFolder m_folder;
};

class WaveHeader : public WaveFileTest, public testing::WithParamInterface<Header> {};

// A second of sound, its length from the data chunk alone, whatever chunks lie around it.
TEST_P(WaveHeader, IsPlayedAsItStandsOnlyWhenCanonical) {
    const WaveLayout& layout = GetParam().layout;
    const std::string path = write(waveBytes(std::string(layout.sampleRate * 4, '\x11'), layout));
    const auto format = readWaveFormat(path);
    ASSERT_TRUE(format);
    EXPECT_EQ(isHandheldWave(*format), GetParam().handheld);
    EXPECT_EQ(waveLength(path), std::chrono::seconds(1));
}

const Header Headers[] = {
    {"Canonical", true, {1, 2, 44100, 16}},
    {"LongFormatChunk", false, {1, 2, 44100, 16, "\0\0"s}},
    {"ListChunkBeforeData", false, {1, 2, 44100, 16, "", "LIST\4\0\0\0INFO"s}},
    // A chunk of odd length is followed by a padding byte that its length does not count.
    {"OddChunkBeforeData", false, {1, 2, 44100, 16, "", "odd \3\0\0\0abc\0"s}},
    {"BytesAfterData", false, {1, 2, 44100, 16, "", "", "junk"}},
    {"WrongByteRate", false, {1, 2, 44100, 16, "", "", "", 4}},
    // The handheld plays 8 kHz to 44.1 kHz.
    {"At8000Hz", true, {1, 2, 8000, 16}},
    {"Below8000Hz", false, {1, 2, 7999, 16}},
    {"Above44100Hz", false, {1, 2, 48000, 16}},
};
INSTANTIATE_TEST_SUITE_P(Headers, WaveHeader, testing::ValuesIn(Headers),
                         [](const auto& test) { return std::string(test.param.name); });

// A recording cut short counts only the data that is there.
TEST_F(WaveFileTest, LengthCountsOnlyTheDataThatIsThere) {
    const std::string bytes = waveBytes(std::string(66150 * 4, '\x11'), {1, 2, 44100, 16});
    EXPECT_EQ(waveLength(write(bytes.substr(0, bytes.size() - 44100 * 2))),
              std::chrono::microseconds(1'000'000));
    EXPECT_FALSE(waveLength(write("RIFF\4\0\0\0WAVE")));
}

} // namespace
