// Wave headers: what the handheld plays as it stands, and the length shown in the list.
#include "audio/WaveFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

using namespace std::string_literals;

namespace {

// A 16-bit stereo wave, 44.1 kHz unless told, the header made canonical or not by the parts given.
struct Header {
    const char* name;
    bool handheld;
    std::string fmtPadding = {};
    std::string before = {}; // chunks between "fmt " and "data"
    std::string after = {};  // bytes after the data
    char byteRateError = 0;
    std::uint32_t rate = 44100;
};

void PrintTo(const Header& header, std::ostream* out) {
    *out << header.name;
}

std::string waveBytes(const Header& header, std::uint32_t frames) {
    const auto word = [](std::uint32_t value) {
        return std::string(reinterpret_cast<char*>(&value), 4);
    };
    const std::string fmt = "fmt " + word(16 + header.fmtPadding.size()) + "\1\0\2\0"s +
                            word(header.rate) + word(header.rate * 4 + header.byteRateError) +
                            "\4\0\20\0"s + header.fmtPadding;
    const std::string body = "WAVE" + fmt + header.before + "data" + word(frames * 4) +
                             std::string(frames * 4, '\x11') + header.after;
    return "RIFF" + word(static_cast<std::uint32_t>(body.size())) + body;
}

class WaveFileTest : public testing::Test {
protected:
    std::string write(const std::string& bytes) {
        std::ofstream(m_folder.path() / "sound.wav", std::ios::binary) << bytes;
        return pcText(m_folder.path() / "sound.wav");
    }
    TempFolder m_folder;
};

class WaveHeader : public WaveFileTest, public testing::WithParamInterface<Header> {};

// A second of sound, its length from the data chunk alone, whatever chunks lie around it.
TEST_P(WaveHeader, IsPlayedAsItStandsOnlyWhenCanonical) {
    const std::string path = write(waveBytes(GetParam(), GetParam().rate));
    const auto format = readWaveFormat(path);
    ASSERT_TRUE(format);
    EXPECT_EQ(isHandheldWave(*format), GetParam().handheld);
    EXPECT_EQ(waveLength(path), std::chrono::seconds(1));
}

const Header Headers[] = {
    {"Canonical", true},
    {"LongFormatChunk", false, "\0\0"s},
    {"ListChunkBeforeData", false, "", "LIST\4\0\0\0INFO"s},
    // A chunk of odd length is followed by a padding byte that its length does not count.
    {"OddChunkBeforeData", false, "", "odd \3\0\0\0abc\0"s},
    {"BytesAfterData", false, "", "", "junk"},
    {"WrongByteRate", false, "", "", "", 4},
    // The handheld plays 8 kHz to 44.1 kHz.
    {"At8000Hz", true, "", "", "", 0, 8000},
    {"Below8000Hz", false, "", "", "", 0, 7999},
    {"Above44100Hz", false, "", "", "", 0, 48000},
};
INSTANTIATE_TEST_SUITE_P(Headers, WaveHeader, testing::ValuesIn(Headers),
                         [](const auto& test) { return std::string(test.param.name); });

// A recording cut short counts only the data that is there.
TEST_F(WaveFileTest, LengthCountsOnlyTheDataThatIsThere) {
    const std::string bytes = waveBytes({"", false, "", "", "trailing"}, 66150);
    EXPECT_EQ(waveLength(write(bytes.substr(0, bytes.size() - 8 - 44100 * 2))),
              std::chrono::microseconds(1'000'000));
    EXPECT_FALSE(waveLength(write("RIFF\4\0\0\0WAVE")));
}

TEST(WaveLength, ShowsMinutesSecondsAndTenthsRounded) {
    const std::pair<long long, const char*> lengths[] = {
        {0, "0:00.0"},          {1'750'000, "0:01.8"},  {3'249'999, "0:03.2"},
        {59'960'000, "1:00.0"}, {61'500'000, "1:01.5"}, {600'000'000, "10:00.0"},
    };
    for (const auto& [length, text] : lengths)
        EXPECT_EQ(formatLength(std::chrono::microseconds(length)), text);
}

} // namespace
