#include "files/Utf8Text.h"

#include <gtest/gtest.h>

// UTF-8 is kept; anything else is Windows-1252 as a whole, so a stray byte never leaves part of
// a name read as UTF-8, and an overlong "/" never becomes one.
TEST(Utf8Text, KeepsUtf8AndReadsAnythingElseAsWindows1252) {
    const char* const cases[][3] = {
        {"ascii", "chime.wav", "chime.wav"},
        {"utf-8", "Glöckchen-€-\xF4\x8F\xBF\xBF", "Glöckchen-€-\xF4\x8F\xBF\xBF"},
        {"1252", "M\xFCller \x80\x82\x8A\x99\x9F\xA0\xFF", "Müller €‚Š™Ÿ\u00A0ÿ"},
        {"undefined in 1252", "\x81\x8D\x8F\x90\x9D", "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"lone continuation", "\xB6", "¶"},
        {"truncated", "Gl\xC3", "GlÃ"},
        {"utf-8 and 1252 mixed", "M\xC3\xBCller\xE9", "MÃ¼lleré"},
        {"overlong slash", "\xC0\xAF", "À¯"},
        {"overlong in three bytes", "\xE0\x80\xAF", "à€¯"},
        {"surrogate", "\xED\xA0\x80", "í\u00A0€"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", "ô\uFFFD€€"},
    };
    for (const auto& [what, bytes, utf8] : cases) {
        EXPECT_EQ(asUtf8(bytes), utf8) << what;
        EXPECT_TRUE(isUtf8(asUtf8(bytes))) << what;
    }
}
