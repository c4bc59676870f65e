#include "themes/ThemeDescriptor.h"

#include "catalog/SoundTheme.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

SoundTheme read(const std::string& text, SoundTheme theme = {}) {
    std::istringstream in(text);
    readDescriptor(in, theme);
    return theme;
}

std::string rowsOf(const SoundTheme& theme) {
    std::string rows;
    for (const auto& [eventName, entry] : theme)
        rows += eventName + "=" + entry.name + entry.extension + ";";
    return rows;
}

} // namespace

TEST(WriteDescriptor, WritesCountThenThreeLinesPerRowWithCrLf) {
    SoundTheme theme;
    theme.insert("Start Up", SoundEntry{"/s/", "alarm2", ".wav", 9});
    theme.insert("Asterisk", SoundEntry::none());
    theme.insert("_Notify", SoundEntry{"/s/", "note", ".wav", 1});
    std::ostringstream out;
    writeDescriptor(out, theme);
    EXPECT_EQ(out.str(), "3\r\nAsterisk\r\n(none)\r\n\r\nStart Up\r\nalarm2\r\n.wav\r\n"
                         "_Notify\r\nnote\r\n.wav\r\n");

    theme.setUploadExtended(false);
    std::ostringstream systemOnly;
    writeDescriptor(systemOnly, theme);
    EXPECT_EQ(systemOnly.str(), "2\r\nAsterisk\r\n(none)\r\n\r\nStart Up\r\nalarm2\r\n.wav\r\n");
}

TEST(ReadDescriptor, ReadsCrLfAndLfLinesAlike) {
    const std::string expected = "Asterisk=(none);Start Up=alarm2.wav;";
    EXPECT_EQ(rowsOf(read("2\r\nStart Up\r\nalarm2\r\n.wav\r\nAsterisk\r\n(none)\r\n\r\n")),
              expected);
    EXPECT_EQ(rowsOf(read("2\nStart Up\nalarm2\n.wav\nAsterisk\n(none)\n\n")), expected);
    EXPECT_EQ(rowsOf(read("  \r\n 2 trailing words\nAsterisk\n(none)\n\nStart Up\nalarm2\n.wav")),
              expected)
        << "blanks before the count, the rest of its line, and a missing last line end";
}

TEST(ReadDescriptor, KeepsTheFirstRowOfARepeatedEvent) {
    EXPECT_EQ(rowsOf(read("2\r\nQuestion\r\nfirst\r\n.wav\r\nQuestion\r\nsecond\r\n.wav\r\n")),
              "Question=first.wav;");
}

TEST(ReadDescriptor, ReplacesTheEntriesButKeepsTheUploadFlag) {
    SoundTheme before;
    before.insert("Old", SoundEntry::none());
    before.setUploadExtended(false);
    const SoundTheme after = read("1\r\nNew\r\nx\r\n.wav\r\n", before);
    EXPECT_EQ(rowsOf(after), "New=x.wav;");
    EXPECT_FALSE(after.uploadExtended());
    EXPECT_EQ(after.find("New")->second.folder, "");
}

struct CountCase {
    const char* what;
    std::string text;
    std::string rows;
    friend void PrintTo(const CountCase& count, std::ostream* out) { *out << count.what; }
};

class DescriptorCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(DescriptorCount, NeverReadsMoreRowsThanTheTextHolds) {
    SoundTheme stale;
    stale.insert("Stale", SoundEntry::none());
    EXPECT_EQ(rowsOf(read(GetParam().text, stale)), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, DescriptorCount,
    ::testing::Values(CountCase{"zero", "0\r\n", ""}, CountCase{"empty", "", ""},
                      CountCase{"not_a_number", "abc\r\nA\r\nb\r\n.wav\r\n", ""},
                      CountCase{"negative", "-3\r\nA\r\nb\r\n.wav\r\n", ""},
                      CountCase{"ends_early", "5\r\nA\r\nb\r\n.wav\r\nB\r\nc\r\n", "A=b.wav;"},
                      CountCase{"huge", "99999999999999999999\r\nA\r\nb\r\n.wav\r\n", "A=b.wav;"},
                      CountCase{"fewer_than_rows", "1\r\nA\r\nb\r\n.wav\r\nB\r\nc\r\n.wav\r\n",
                                "A=b.wav;"}),
    [](const auto& param) { return std::string(param.param.what); });
