#include "catalog/MessageError.h"
#include "catalog/SoundTheme.h"
#include "support/ArchiveBytes.h"
#include "support/TempFolder.h"
#include "themes/ThemeArchive.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

class SaveToArchive : public ::testing::Test {
protected:
    SaveToArchive() {
        fs::create_directories(folder.path() / "work");
        work = (folder.path() / "work" / "").string();
        archivePath = (folder.path() / "saved.kbt").string();
    }

    std::vector<std::string> memberNames() const {
        std::vector<std::string> names;
        for (const auto& member : ThemeArchive(archivePath).members())
            names.push_back(member.name);
        return names;
    }

    TempFolder folder;
    std::string work;
    std::string archivePath;
    SoundTheme theme;
};

TEST_F(SaveToArchive, PutsTheDescriptorFirstThenEachFileOnceByName) {
    folder.writeFile("a/zeta.wav", 10, 'z');
    folder.writeFile("a/bell.wav", 20, 'b');
    folder.writeFile("b/bell.wav", 30, 'B');
    const std::string a = (folder.path() / "a" / "").string();
    const std::string b = (folder.path() / "b" / "").string();
    theme.insert("Asterisk", SoundEntry{a, "zeta", ".wav", 0});
    theme.insert("Question", SoundEntry{a, "bell", ".wav", 0});
    theme.insert("Start Up", SoundEntry{b, "bell", ".wav", 0});
    theme.insert("_Notify", SoundEntry::none());
    theme.saveToArchive(work, archivePath);

    EXPECT_EQ(memberNames(), (std::vector<std::string>{"theme.dsc", "bell.wav", "zeta.wav"}));
    EXPECT_EQ(readBytes(work + "theme.dsc").substr(0, 3), "4\r\n") << "the descriptor stays";
    ThemeArchive(archivePath).extractAll(work);
    EXPECT_EQ(readBytes(work + "bell.wav"), std::string(20, 'b')) << "the first in event order";
}

TEST_F(SaveToArchive, ATHemeWithoutSoundsHoldsOnlyItsDescriptor) {
    theme.insert("Asterisk", SoundEntry::none());
    theme.saveToArchive(work, archivePath);
    EXPECT_EQ(memberNames(), std::vector<std::string>{"theme.dsc"});
}

TEST_F(SaveToArchive, AnUnreadableSoundBecomesAnEmptyMember) {
    theme.insert("Asterisk", SoundEntry{work, "lost", ".wav", 0});
    theme.saveToArchive(work, archivePath);
    EXPECT_EQ(memberNames(), (std::vector<std::string>{"theme.dsc", "lost.wav"}));
}

TEST_F(SaveToArchive, AFailedSaveLeavesThePreviousThemeAsItWas) {
    writeBytes(archivePath, "the previous theme");
    const std::string tooLong(300, 'n');
    folder.writeFile("work/" + tooLong.substr(0, 200), 1);
    theme.insert("Asterisk", SoundEntry{work, tooLong, ".wav", 0});
    try {
        theme.saveToArchive(work, archivePath);
        FAIL() << "no error";
    } catch (const MessageError& error) {
        EXPECT_EQ(error.text(), "Could not save theme \"" + archivePath + "\".");
    }
    EXPECT_EQ(readBytes(archivePath), "the previous theme");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2)
        << "no temporary file is left behind";

    const std::string nowhere = (folder.path() / "no-such-folder" / "x.kbt").string();
    EXPECT_THROW(theme.saveToArchive(work, nowhere), MessageError);
}
