#include "themes/ThemeArchive.h"

#include "catalog/MessageError.h"
#include "catalog/SoundTheme.h"
#include "files/ReplacementFile.h"
#include "support/ArchiveBytes.h"
#include "support/TempFolder.h"
#include "themes/ThemeDescriptor.h"

#include <gtest/gtest.h>

#include <sstream>

#ifndef _WIN32
#include <unistd.h>
#endif

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
    // A member declares its length first: a source that cannot be read is never written.
    EXPECT_FALSE(archive.addFile(folder.dir(), "missing.wav"));
    for (const char* name : {"a.wav", "theme.dsc", "b.wav"})
        ASSERT_TRUE(archive.addFile(folder.dir(), name));
    EXPECT_EQ(readBytes(archivePath), memberBytes("a.wav", "") +
                                          memberBytes("theme.dsc", "ddddddd") +
                                          memberBytes("b.wav", std::string(3000, 'b')));
#ifdef __linux__
    // The kernel's own files state a page's length and read shorter: a source read short fails.
    EXPECT_FALSE(archive.addFile("/sys/kernel/", "uevent_seqnum"));
#endif
}

TEST_F(ThemeArchiveTest, ExtractsTheLastOfANameAndFailsOnAMemberItCannotCreate) {
    writeBytes(archivePath, memberBytes("twice.wav", "first") +
                                memberBytes({"negative.wav", "", 0xFFFFFFFB}) +
                                memberBytes("twice.wav", std::string(3000, 's')));
    EXPECT_TRUE(archive.extractAll(out()));
    EXPECT_EQ(readBytes(out("twice.wav")), std::string(3000, 's')) << "more than a chunk, and last";
    EXPECT_EQ(readBytes(out("negative.wav")), "");
    fs::create_directory(testPath(out("taken.wav")));
    writeBytes(archivePath, memberBytes("taken.wav", "xyz"));
    EXPECT_FALSE(archive.extractAll(out())) << "a sound the theme would silently lose";
}

#ifdef __linux__ // where members are copied through the descriptors the seam closes
// A member is written whole or fails the extraction: cut short by a full disk, or failing at its
// close, as some file systems report a failed write only then. The kernel copies a member only
// within one file system; from a theme on another (a USB stick, a tmpfs) it goes through a buffer.
TEST_F(ThemeArchiveTest, ExtractsEachMemberWholeOrFails) {
    const std::string big(3 << 20, 'b');
    writeBytes(archivePath, memberBytes("fits.wav", "ok") + memberBytes("big.wav", big));
    {
        const FileSizeLimit full(4096);
        EXPECT_FALSE(archive.extractAll(out()));
    }
    EXPECT_EQ(readBytes(out("fits.wav")), "ok");
    const ReplacementDiskCalls real = replacementDiskCalls();
    replacementDiskCalls().closeFile = [](int descriptor) { return ::close(descriptor), false; };
    EXPECT_FALSE(archive.extractAll(out()));
    replacementDiskCalls() = real;
    const auto mounted = folder.mountTmpfs("volume", "size=4m");
    if (!mounted)
        GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    fs::copy_file(archivePath, folder.path() / "volume" / "theme.kbt");
    EXPECT_TRUE(ThemeArchive(pcText(folder.path() / "volume" / "theme.kbt")).extractAll(out()));
    EXPECT_EQ(readBytes(out("big.wav")), big);
}
#endif

TEST_F(ThemeArchiveTest, RefusesADamagedArchiveBeforeWritingAnything) {
    std::vector<std::string> damage = {memberBytes({"cut.wav", "abc", 10}), std::string(271, 'h'),
                                       memberBytes(std::string(256, 'n'), "")};
    for (const char* unsafe :
         {"../x.wav", "..\\x.wav", "c:x.wav", "", ".", "..", "NUL.wav", "com1.wav", "a.wav.",
          "a.wav ", "a<b>.wav", "what?.wav", "q\".wav", "pipe|.wav", "star*.wav"})
        damage.push_back(memberBytes(unsafe, "x"));
    for (const auto& bytes : damage) {
        writeBytes(archivePath, memberBytes("good.wav", "ok") + bytes);
        EXPECT_THROW(static_cast<void>(archive.extractAll(out())), MessageError)
            << bytes.substr(8, 20);
        EXPECT_TRUE(fs::is_empty(testPath(out())));
    }
}

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
