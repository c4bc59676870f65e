#include "themes/ThemeDescriptor.h"

#include "catalog/SoundTheme.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(ThemeDescriptor, ReadsNoMoreRowsThanTheCountAndTheTextHold) {
    for (const auto& [text, rows] : std::initializer_list<std::pair<std::string, std::string>>{
             // Blanks before the count, the rest of its line, LF line ends, no last line end.
             {"  \r\n 2 words\nAsterisk\n(none)\n\nStart Up\nalarm2\n.wav",
              "Asterisk=(none);Start Up=alarm2.wav;"},
             {"2\r\nQ\r\nfirst\r\n.wav\r\nQ\r\nsecond\r\n.wav\r\n", "Q=first.wav;"},
             {"abc\r\nA\r\nb\r\n.wav\r\n", ""},
             {"5\r\nA\r\nb\r\n.wav\r\nB\r\nc\r\n", "A=b.wav;"},
             {"1\r\nA\r\nb\r\n.wav\r\nB\r\nc\r\n.wav\r\n", "A=b.wav;"}}) {
        SoundTheme theme;
        std::istringstream in(text);
        readDescriptor(in, theme);
        std::string read;
        for (const auto& [eventName, entry] : theme)
            read += eventName + "=" + entry.name + entry.extension + ";";
        EXPECT_EQ(read, rows) << text;
    }
}
