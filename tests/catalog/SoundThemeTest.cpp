#include "catalog/SoundTheme.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

SoundEntry wave(const std::string& folder, const std::string& name) {
    return SoundEntry{folder, name, ".wav", 0};
}

std::vector<std::string> keysOf(const SoundTheme& theme) {
    std::vector<std::string> keys;
    for (const auto& [name, entry] : theme)
        keys.push_back(name);
    return keys;
}

std::vector<std::string> pathsOf(const SoundFileSet& files) {
    std::vector<std::string> paths;
    for (const auto& entry : files)
        paths.push_back(entry.path());
    return paths;
}

} // namespace

TEST(SoundTheme, OrdersEventsByteWiseWithNotificationsLast) {
    SoundTheme theme;
    for (const char* name : {"_lowbatt", "Start Up", "_default", "_Notify", "Asterisk",
                             "_ActiveSync: Begin sync", "Critical Stop"})
        theme.insert(name, SoundEntry::none());
    EXPECT_EQ(keysOf(theme), (std::vector<std::string>{"Asterisk", "Critical Stop", "Start Up",
                                                       "_ActiveSync: Begin sync", "_Notify",
                                                       "_default", "_lowbatt"}));
}

TEST(SoundTheme, FirstInsertOfAnEventWins) {
    SoundTheme theme;
    theme.insert("Asterisk", wave("a/", "first"));
    theme.insert("Asterisk", wave("b/", "second"));
    ASSERT_EQ(theme.size(), 1);
    EXPECT_EQ(theme.find("Asterisk")->second.path(), "a/first.wav");
}

TEST(SoundTheme, HasExtendedEventsOnlyWithAnUnderscoreName) {
    SoundTheme theme;
    EXPECT_FALSE(theme.hasExtendedEvents());
    theme.insert("Asterisk", SoundEntry::none());
    theme.insert("Menu_Popup", SoundEntry::none());
    EXPECT_FALSE(theme.hasExtendedEvents());
    theme.insert("_Notify", SoundEntry::none());
    EXPECT_TRUE(theme.hasExtendedEvents());
}

class SoundFiles : public ::testing::Test {
protected:
    SoundTheme theme;
};

TEST_F(SoundFiles, LeaveOutEventsWithoutSound) {
    theme.insert("Asterisk", SoundEntry::none());
    // A cleared sound may keep its folder; the name alone decides.
    theme.insert("Question", SoundEntry{"kept/", NoSoundName, ".wav", 3});
    EXPECT_TRUE(theme.soundFiles().empty());
}

TEST_F(SoundFiles, FollowTheUploadFlagForNotificationSounds) {
    theme.insert("Asterisk", wave("s/", "alarm1"));
    theme.insert("_Reminders", wave("s/", "remind"));
    EXPECT_EQ(pathsOf(theme.soundFiles()),
              (std::vector<std::string>{"s/alarm1.wav", "s/remind.wav"}));
    theme.setUploadExtended(false);
    EXPECT_EQ(pathsOf(theme.soundFiles()), (std::vector<std::string>{"s/alarm1.wav"}));
}

TEST_F(SoundFiles, KeepOneFilePerTitleTheFirstInEventOrder) {
    theme.insert("Start Up", wave("late/", "ding"));
    theme.insert("Question", wave("b/", "bell"));
    theme.insert("Asterisk", wave("early/", "ding"));
    theme.insert("_Notify", wave("n/", "bell"));
    const auto files = theme.soundFiles();
    EXPECT_EQ(pathsOf(files), (std::vector<std::string>{"b/bell.wav", "early/ding.wav"}));
}

TEST_F(SoundFiles, SkippedNotificationsDoNotHideAnEventsFile) {
    theme.insert("_Notify", wave("n/", "bell"));
    theme.insert("Question", wave("q/", "bell"));
    theme.setUploadExtended(false);
    EXPECT_EQ(pathsOf(theme.soundFiles()), (std::vector<std::string>{"q/bell.wav"}));
}

struct SizeCase {
    std::size_t bytes;
    std::uint32_t kilobytes;
    friend void PrintTo(const SizeCase& size, std::ostream* out) { *out << size.bytes << " bytes"; }
};

class SizeRule : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SizeRule, CountsStartedKilobytesOfTheFileOnDisk) {
    TempFolder folder;
    const auto file = folder.writeFile("sound.wav", GetParam().bytes);
    EXPECT_EQ(measureSizeKB(file.string()), GetParam().kilobytes);
}

INSTANTIATE_TEST_SUITE_P(Lengths, SizeRule,
                         ::testing::Values(SizeCase{0, 1}, SizeCase{1023, 1}, SizeCase{1024, 2},
                                           SizeCase{2047, 2}, SizeCase{2048, 3},
                                           SizeCase{10000, 10}));

TEST(SizeRuleLimits, UsesThirtyTwoBitLengthsAndNeedsAReadableFile) {
    EXPECT_EQ(sizeKBForLength((std::uint64_t{1} << 32) + 5000), 5u);
    TempFolder folder;
    EXPECT_EQ(measureSizeKB((folder.path() / "missing.wav").string()), std::nullopt);
    EXPECT_EQ(measureSizeKB(folder.path().string()), std::nullopt) << "a folder is no sound";
}
