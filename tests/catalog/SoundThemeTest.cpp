#include "catalog/SoundTheme.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

TEST(SoundTheme, ListsEachSoundFileOnceTheFirstInEventOrder) {
    SoundTheme theme;
    theme.insert("Start Up", SoundEntry{"late/", "ding", ".wav", 0});
    theme.insert("Asterisk", SoundEntry{"early/", "ding", ".wav", 0});
    theme.insert("Question", SoundEntry{"kept/", NoSoundName, ".wav", 3}); // the name decides
    theme.insert("_Notify", SoundEntry{"n/", "bell", ".wav", 0});
    theme.setUploadExtended(false);
    ASSERT_EQ(theme.soundFiles().size(), 1u);
    EXPECT_EQ(theme.soundFiles().begin()->path(), "early/ding.wav");
}

TEST(SoundTheme, CountsStartedKilobytesOfReadableFilesInThirtyTwoBits) {
    TempFolder folder;
    EXPECT_EQ(measureSizeKB(folder.writeFile("a.wav", 1023).string()), 1u);
    EXPECT_EQ(measureSizeKB(folder.writeFile("b.wav", 1024).string()), 2u);
    EXPECT_EQ(sizeKBForLength((std::uint64_t{1} << 32) + 5000), 5u);
    EXPECT_EQ(measureSizeKB((folder.path() / "missing.wav").string()), std::nullopt);
    EXPECT_EQ(measureSizeKB(folder.path().string()), std::nullopt) << "a folder is no sound";
}
