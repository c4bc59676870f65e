#include "themes/ThemeArchive.h"

#include "catalog/MessageError.h"
#include "catalog/SoundTheme.h"
#include "support/ArchiveBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <numeric>
#include <set>

namespace fs = std::filesystem;

class ThemeArchiveTest : public ::testing::Test {
protected:
    ThemeArchiveTest() { fs::create_directories(folder.path() / "out"); }

    std::string out(const std::string& name = "") const { return folder.dir() + "out/" + name; }
    std::string extracted() const {
        std::set<std::string> names;
        for (const auto& item : fs::directory_iterator(out()))
            names.insert(item.path().filename().string() + "=" +
                         (item.is_directory() ? "/" : readBytes(item.path())) + ";");
        return std::accumulate(names.begin(), names.end(), std::string());
    }

    TempFolder folder;
    const std::string archivePath = folder.dir() + "theme.kbt";
    const ThemeArchive archive{archivePath};
};

TEST_F(ThemeArchiveTest, WritesMembersInCallOrderAndReadsThemBack) {
    writeBytes(archivePath, "old content");
    folder.writeFile("a.wav", 0);
    folder.writeFile("theme.dsc", 7, 'd');
    folder.writeFile("b.wav", 3000, 'b'); // more than a chunk, and the last member
    ASSERT_TRUE(archive.create());
    EXPECT_FALSE(archive.addFile(folder.dir(), std::string(256, 'n'))) << "no room for its end";
    for (const char* name : {"a.wav", "theme.dsc", "missing.wav", "b.wav"})
        ASSERT_TRUE(archive.addFile(folder.dir(), name));
    // An unreadable source keeps the length a failed size query gives, and no data.
    EXPECT_EQ(readBytes(archivePath), memberBytes("a.wav", "") +
                                          memberBytes("theme.dsc", "ddddddd") +
                                          memberBytes({"missing.wav", "", 0xFFFFFFFF}) +
                                          memberBytes("b.wav", std::string(3000, 'b')));
    archive.extractAll(out());
    for (const char* name : {"a.wav", "theme.dsc", "missing.wav", "b.wav"})
        EXPECT_EQ(readBytes(out(name)), readBytes(folder.dir() + name)) << name;
}

TEST_F(ThemeArchiveTest, ExtractsTheLastOfANameAndSkipsWhatCannotBeCreated) {
    fs::create_directory(out("taken.wav"));
    writeBytes(archivePath, memberBytes("taken.wav", "xyz") + memberBytes("twice.wav", "first") +
                                memberBytes({"negative.wav", "", 0xFFFFFFFB}) +
                                memberBytes("twice.wav", "second"));
    archive.extractAll(out());
    EXPECT_EQ(extracted(), "negative.wav=;taken.wav=/;twice.wav=second;");
}

TEST_F(ThemeArchiveTest, RefusesADamagedArchiveBeforeWritingAnything) {
    std::vector<std::string> damage = {memberBytes({"cut.wav", "abc", 10}), std::string(271, 'h'),
                                       memberBytes(std::string(256, 'n'), "")};
    for (const char* unsafe : {"../x.wav", "..\\x.wav", "c:x.wav", "", ".", ".."})
        damage.push_back(memberBytes(unsafe, "x"));
    for (const auto& bytes : damage) {
        writeBytes(archivePath, memberBytes("good.wav", "ok") + bytes);
        try {
            archive.extractAll(out());
            ADD_FAILURE() << "no error for " << bytes.substr(8, 20);
        } catch (const MessageError& error) {
            EXPECT_EQ(error.text(), "The theme file \"" + archivePath + "\" is damaged.");
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 2);
        EXPECT_TRUE(fs::is_empty(out()));
    }
}

TEST_F(ThemeArchiveTest, SavesTheDescriptorFirstThenEachSoundFileOnceByTitle) {
    folder.writeFile("a/zeta.wav", 10, 'z');
    folder.writeFile("a/bell.wav", 20, 'b');
    folder.writeFile("b/bell.wav", 30, 'B');
    SoundTheme theme;
    theme.insert("Asterisk", SoundEntry{folder.dir() + "a/", "zeta", ".wav", 0});
    theme.insert("Question", SoundEntry{folder.dir() + "a/", "bell", ".wav", 0});
    theme.insert("Start Up", SoundEntry{folder.dir() + "b/", "bell", ".wav", 0});
    theme.saveToArchive(out(), archivePath);
    std::string members;
    for (const auto& member : archive.members())
        members += member.name + ";";
    EXPECT_EQ(members, "theme.dsc;bell.wav;zeta.wav;");
    archive.extractAll(out());
    EXPECT_EQ(readBytes(out("bell.wav")), std::string(20, 'b')) << "the first in event order";
}

TEST_F(ThemeArchiveTest, AFailedSaveLeavesThePreviousThemeAsItWas) {
    writeBytes(archivePath, "the previous theme");
    SoundTheme theme;
    theme.insert("Asterisk", SoundEntry{out(), std::string(300, 'n'), ".wav", 0});
    try {
        theme.saveToArchive(out(), archivePath);
        ADD_FAILURE() << "no error";
    } catch (const MessageError& error) {
        EXPECT_EQ(error.text(), "Could not save theme \"" + archivePath + "\".");
    }
    EXPECT_EQ(readBytes(archivePath), "the previous theme");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 2) << "no temporary file";
}
