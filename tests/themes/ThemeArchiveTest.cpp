#include "themes/ThemeArchive.h"

#include "catalog/MessageError.h"
#include "catalog/SoundTheme.h"
#include "support/ArchiveBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

class ThemeArchiveTest : public ::testing::Test {
protected:
    ThemeArchiveTest() { fs::create_directories(folder.path() / "out"); }
    std::string out(const std::string& name = "") const { return folder.dir() + "out/" + name; }

    TempFolder folder;
    const std::string archivePath = folder.dir() + "theme.kbt";
    const ThemeArchive archive{archivePath};
};

TEST_F(ThemeArchiveTest, CreateEmptiesTheFileAndAddFileAppendsMembersInCallOrder) {
    writeBytes(archivePath, "old content");
    folder.writeFile("a.wav", 0);
    folder.writeFile("theme.dsc", 7, 'd');
    folder.writeFile("b.wav", 3000, 'b'); // more than a chunk
    ASSERT_TRUE(archive.create());
    EXPECT_FALSE(archive.addFile(folder.dir(), std::string(256, 'n'))) << "no room for its end";
    for (const char* name : {"a.wav", "theme.dsc", "missing.wav", "b.wav"})
        ASSERT_TRUE(archive.addFile(folder.dir(), name));
    // An unreadable source keeps the length a failed size query gives, and no data.
    EXPECT_EQ(readBytes(archivePath), memberBytes("a.wav", "") +
                                          memberBytes("theme.dsc", "ddddddd") +
                                          memberBytes({"missing.wav", "", 0xFFFFFFFF}) +
                                          memberBytes("b.wav", std::string(3000, 'b')));
}

TEST_F(ThemeArchiveTest, ExtractsTheLastOfANameAndSkipsWhatCannotBeCreated) {
    fs::create_directory(out("taken.wav"));
    writeBytes(archivePath, memberBytes("taken.wav", "xyz") + memberBytes("twice.wav", "first") +
                                memberBytes({"negative.wav", "", 0xFFFFFFFB}) +
                                memberBytes("twice.wav", std::string(3000, 's')));
    archive.extractAll(out());
    EXPECT_EQ(readBytes(out("twice.wav")), std::string(3000, 's')) << "more than a chunk, and last";
}

TEST_F(ThemeArchiveTest, RefusesADamagedArchiveBeforeWritingAnything) {
    std::vector<std::string> damage = {memberBytes({"cut.wav", "abc", 10}), std::string(271, 'h'),
                                       memberBytes(std::string(256, 'n'), "")};
    for (const char* unsafe : {"../x.wav", "..\\x.wav", "c:x.wav", "", ".", ".."})
        damage.push_back(memberBytes(unsafe, "x"));
    for (const auto& bytes : damage) {
        writeBytes(archivePath, memberBytes("good.wav", "ok") + bytes);
        EXPECT_THROW(archive.extractAll(out()), MessageError) << bytes.substr(8, 20);
        EXPECT_TRUE(fs::is_empty(out()));
    }
}
