#include "files/PcPath.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

// Names beyond ASCII go between text and path unchanged; bytes that are not UTF-8 never throw.
TEST(PcPath, NamesBeyondAsciiGoBothWaysAndBadBytesNeverThrow) {
    const std::string name =
        "J\u00F6s\u00E9 M\u00FCller \u2013 \u0422\u0435\u043C\u0430 \U0001F514.kbt";
    EXPECT_EQ(pcText(pcPath(name)), name);
#ifdef _WIN32
    EXPECT_EQ(pcPath(name).wstring(),
              L"J\u00F6s\u00E9 M\u00FCller \u2013 \u0422\u0435\u043C\u0430 \U0001F514.kbt");
    EXPECT_EQ(pcText(pcPath("Gl\xF6"
                            "ckchen")),
              "Gl\uFFFD"
              "ckchen");
    // Only in such a code page does a name passed through a narrow call fail, as for such a user.
    EXPECT_EQ(GetACP(), 1251u) << "the tests run in a code page that holds their folders' names";
#endif
}
