// Wave headers: what the handheld plays as it stands, and the length shown in the list.
#include "audio/WaveFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>

namespace {

struct Header {
    const char* name;
    std::uint16_t tag = 1;
    std::uint16_t channels = 1;
    std::uint32_t rate = 22050;
    std::uint16_t bits = 16;
    bool handheld = true;
    std::uint32_t fmtBytes = 16;
    std::string before = {}; // chunks between "fmt " and "data"
    std::string after = {};  // bytes after the data
    std::int32_t byteRateError = 0;
};

void put(std::string& bytes, std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i)
        bytes += static_cast<char>(value >> (8 * i) & 0xFF);
}

std::string waveBytes(const Header& header, std::uint32_t frames) {
    const std::uint32_t blockAlign = header.channels * header.bits / 8;
    const std::uint32_t dataBytes = frames * blockAlign;
    std::string fmt = "fmt ";
    put(fmt, header.fmtBytes, 4);
    put(fmt, header.tag, 2);
    put(fmt, header.channels, 2);
    put(fmt, header.rate, 4);
    put(fmt, header.rate * blockAlign + header.byteRateError, 4);
    put(fmt, blockAlign, 2);
    put(fmt, header.bits, 2);
    fmt.append(header.fmtBytes - 16, '\0');
    std::string body = "WAVE" + fmt + header.before + "data";
    put(body, dataBytes, 4);
    body.append(dataBytes, '\x11');
    body += header.after;
    std::string bytes = "RIFF";
    put(bytes, static_cast<std::uint32_t>(body.size()), 4);
    return bytes + body;
}

class WaveFileTest : public testing::Test {
protected:
    std::string write(const std::string& bytes) {
        const auto path = m_folder.path() / "sound.wav";
        std::ofstream(path, std::ios::binary) << bytes;
        return pcText(path);
    }
    TempFolder m_folder;
};

class WaveHeader : public WaveFileTest, public testing::WithParamInterface<Header> {};

TEST_P(WaveHeader, IsPlayedAsItStandsOnlyWhenTheHandheldTakesIt) {
    const auto format = readWaveFormat(write(waveBytes(GetParam(), 100)));
    ASSERT_TRUE(format);
    EXPECT_EQ(isHandheldWave(*format), GetParam().handheld);
}

const Header Headers[] = {
    {"Pcm16Mono22050"},
    {"Pcm8Mono8000", 1, 1, 8000, 8},
    {"Pcm16Stereo44100", 1, 2, 44100},
    {"Pcm16Mono48000", 1, 1, 48000, 16, false},
    {"Pcm16Mono7999", 1, 1, 7999, 16, false},
    {"Pcm24", 1, 1, 22050, 24, false},
    {"ThreeChannels", 1, 3, 22050, 16, false},
    {"FloatTag", 3, 1, 22050, 32, false},
    {"ExtensibleTag", 0xFFFE, 1, 22050, 16, false},
    {"LongFormatChunk", 1, 1, 22050, 16, false, 18},
    {"ListChunkBeforeData", 1, 1, 22050, 16, false, 16, std::string("LIST\4\0\0\0INFO", 12)},
    {"BytesAfterData", 1, 1, 22050, 16, false, 16, "", "junk"},
    {"WrongByteRate", 1, 1, 22050, 16, false, 16, "", "", 2},
};
INSTANTIATE_TEST_SUITE_P(Headers, WaveHeader, testing::ValuesIn(Headers),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(WaveFileTest, LengthComesFromTheDataChunkAlone) {
    // 33075 stereo frames at 22050 Hz: 1.5 s, whatever chunks lie around the data.
    Header header{"Stereo", 1, 2, 22050};
    header.before = std::string("LIST\4\0\0\0INFO", 12);
    header.after = "trailing";
    EXPECT_EQ(waveLength(write(waveBytes(header, 33075))), std::chrono::microseconds(1'500'000));
    // A recording cut short counts only the data that is there.
    std::string cut = waveBytes(header, 33075);
    cut.resize(cut.size() - 8 - 22050 * 2);
    EXPECT_EQ(waveLength(write(cut)), std::chrono::microseconds(1'000'000));
    EXPECT_FALSE(waveLength(write("RIFF\4\0\0\0WAVE")));
}

TEST(WaveLength, ShowsMinutesSecondsAndTenthsCutOff) {
    using std::chrono::microseconds;
    const std::pair<long long, const char*> lengths[] = {
        {0, "0:00.0"},          {3'299'999, "0:03.2"},    {59'999'999, "0:59.9"},
        {61'500'000, "1:01.5"}, {600'000'000, "10:00.0"},
    };
    for (const auto& [length, text] : lengths)
        EXPECT_EQ(formatLength(microseconds(length)), text);
}

} // namespace
