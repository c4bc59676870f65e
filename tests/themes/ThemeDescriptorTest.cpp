#include "themes/ThemeDescriptor.h"

#include "catalog/SoundTheme.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(ThemeDescriptor, WritesCountThenThreeCrLfLinesPerWrittenRow) {
    SoundTheme theme;
    theme.insert("Start Up", SoundEntry{"/s/", "alarm2", ".wav", 9});
    theme.insert("Asterisk", SoundEntry::none());
    theme.insert("_Notify", SoundEntry{"/s/", "note", ".wav", 1});
    std::ostringstream all, systemOnly;
    writeDescriptor(all, theme);
    EXPECT_EQ(all.str(), "3\r\nAsterisk\r\n(none)\r\n\r\nStart Up\r\nalarm2\r\n.wav\r\n"
                         "_Notify\r\nnote\r\n.wav\r\n");
    theme.setUploadExtended(false);
    writeDescriptor(systemOnly, theme);
    EXPECT_EQ(systemOnly.str(), "2\r\nAsterisk\r\n(none)\r\n\r\nStart Up\r\nalarm2\r\n.wav\r\n");
}

TEST(ThemeDescriptor, ReadsNoMoreRowsThanTheCountAndTheTextHold) {
    const std::pair<std::string, std::string> cases[] = {
        // Blanks before the count, the rest of its line, LF line ends, no last line end.
        {"  \r\n 2 words\nAsterisk\n(none)\n\nStart Up\nalarm2\n.wav",
         "Asterisk=(none);Start Up=alarm2.wav;"},
        {"2\r\nQuestion\r\nfirst\r\n.wav\r\nQuestion\r\nsecond\r\n.wav\r\n", "Question=first.wav;"},
        {"abc\r\nA\r\nb\r\n.wav\r\n", ""},
        {"5\r\nA\r\nb\r\n.wav\r\nB\r\nc\r\n", "A=b.wav;"},
        {"99999999999999999999\r\nA\r\nb\r\n.wav\r\n", "A=b.wav;"},
        {"1\r\nA\r\nb\r\n.wav\r\nB\r\nc\r\n.wav\r\n", "A=b.wav;"}};
    for (const auto& [text, rows] : cases) {
        SoundTheme theme;
        theme.insert("Stale", SoundEntry::none());
        theme.setUploadExtended(false);
        std::istringstream in(text);
        readDescriptor(in, theme);
        std::string read;
        for (const auto& [eventName, entry] : theme)
            read += eventName + "=" + entry.name + entry.extension + ";";
        EXPECT_EQ(read, rows) << text;
        EXPECT_FALSE(theme.uploadExtended());
    }
}
