#include "themes/ThemeArchive.h"

#include "catalog/MessageError.h"
#include "support/ArchiveBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace fs = std::filesystem;

class ThemeArchiveTest : public ::testing::Test {
protected:
    ThemeArchiveTest() {
        fs::create_directories(folder.path() / "out");
        archivePath = (folder.path() / "theme.kbt").string();
    }

    std::string outDir() const { return (folder.path() / "out" / "").string(); }
    std::vector<std::string> extractedNames() const {
        std::vector<std::string> names;
        for (const auto& item : fs::directory_iterator(folder.path() / "out"))
            names.push_back(item.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder folder;
    std::string archivePath;
};

TEST_F(ThemeArchiveTest, WritesHeadersAndDataInCallOrder) {
    folder.writeFile("src/b.wav", 3000, 'b');
    folder.writeFile("src/a.wav", 0);
    folder.writeFile("src/theme.dsc", 7, 'd');
    const std::string src = (folder.path() / "src" / "").string();
    const ThemeArchive archive(archivePath);
    ASSERT_TRUE(archive.create());
    for (const char* name : {"theme.dsc", "b.wav", "a.wav"})
        ASSERT_TRUE(archive.addFile(src, name));

    const std::string bytes = readBytes(archivePath);
    ASSERT_EQ(bytes.size(), 3 * 272 + 7 + 3000u);
    EXPECT_EQ(bytes.substr(0, 8), "ZimoPACK");
    EXPECT_EQ(bytes.substr(8, 10), std::string("theme.dsc\0", 10));
    EXPECT_EQ(bytes.substr(264, 4), std::string("\x07\0\0\0", 4));
    EXPECT_EQ(bytes.substr(272, 7), "ddddddd");
    const std::size_t second = 272 + 7;
    EXPECT_EQ(bytes.substr(second, 8), "ZimoPACK");
    EXPECT_EQ(bytes.substr(second + 8, 6), std::string("b.wav\0", 6));
    EXPECT_EQ(bytes.substr(second + 264, 4), std::string("\xB8\x0B\0\0", 4)); // 3000
    const std::size_t third = second + 272 + 3000;
    EXPECT_EQ(bytes.substr(third + 8, 6), std::string("a.wav\0", 6));
    EXPECT_EQ(bytes.substr(third + 264, 4), std::string(4, '\0'));
}

TEST_F(ThemeArchiveTest, CreateCutsAnOldArchiveAndAddFileAppends) {
    writeBytes(archivePath, "old content");
    folder.writeFile("x.wav", 5);
    const ThemeArchive archive(archivePath);
    ASSERT_TRUE(archive.create());
    EXPECT_EQ(fs::file_size(archivePath), 0u);
    ASSERT_TRUE(archive.addFile(folder.dir(), "x.wav"));
    ASSERT_TRUE(archive.addFile(folder.dir(), "x.wav"));
    EXPECT_EQ(fs::file_size(archivePath), 2 * (272 + 5u));
}

TEST_F(ThemeArchiveTest, RoundTripsDataAcrossChunkBoundaries) {
    const ThemeArchive archive(archivePath);
    ASSERT_TRUE(archive.create());
    for (std::size_t size : {2047u, 2048u, 2049u, 10000u}) {
        const std::string name = std::to_string(size) + ".wav";
        std::string data(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            data[i] = static_cast<char>(i * 7 + size);
        writeBytes(folder.path() / name, data);
        ASSERT_TRUE(archive.addFile(folder.dir(), name));
    }
    archive.extractAll(outDir());
    for (std::size_t size : {2047u, 2048u, 2049u, 10000u}) {
        const std::string name = std::to_string(size) + ".wav";
        EXPECT_EQ(readBytes(folder.path() / "out" / name), readBytes(folder.path() / name));
    }
}

TEST_F(ThemeArchiveTest, UnreadableSourceBecomesAnEmptyMemberAndLaterOnesSurvive) {
    folder.writeFile("after.wav", 100, 'a');
    const ThemeArchive archive(archivePath);
    ASSERT_TRUE(archive.create());
    ASSERT_TRUE(archive.addFile(folder.dir(), "missing.wav"));
    ASSERT_TRUE(archive.addFile(folder.dir(), "after.wav"));
    EXPECT_EQ(readBytes(archivePath).substr(264, 4), "\xFF\xFF\xFF\xFF");
    archive.extractAll(outDir());
    EXPECT_EQ(fs::file_size(folder.path() / "out" / "missing.wav"), 0u);
    EXPECT_EQ(readBytes(folder.path() / "out" / "after.wav"), std::string(100, 'a'));
}

TEST_F(ThemeArchiveTest, RefusesNamesThatDoNotFitTheHeader) {
    const std::string longest(255, 'n');
    folder.writeFile(longest, 1);
    const ThemeArchive archive(archivePath);
    ASSERT_TRUE(archive.create());
    EXPECT_TRUE(archive.addFile(folder.dir(), longest));
    EXPECT_FALSE(archive.addFile(folder.dir(), longest + "n"));
    EXPECT_EQ(archive.members().size(), 1u);
}

TEST_F(ThemeArchiveTest, ReadsArchivesOtherWritersMake) {
    writeBytes(archivePath, memberBytes({"zero.wav", "", {}}) +
                                memberBytes({"other.wav", "abc", {}, "SomethNG"}) +
                                memberBytes({"twice.wav", "first", {}}) +
                                memberBytes({"gone.wav", "", 0xFFFFFFFF}) +
                                memberBytes({"negative.wav", "", 0xFFFFFFFB}) +
                                memberBytes({"twice.wav", "second", {}}));
    folder.writeFile("out/unrelated.txt", 3, 'u');
    ThemeArchive(archivePath).extractAll(outDir());
    EXPECT_EQ(extractedNames(),
              (std::vector<std::string>{"gone.wav", "negative.wav", "other.wav", "twice.wav",
                                        "unrelated.txt", "zero.wav"}));
    EXPECT_EQ(readBytes(folder.path() / "out" / "zero.wav"), "");
    EXPECT_EQ(readBytes(folder.path() / "out" / "gone.wav"), "");
    EXPECT_EQ(readBytes(folder.path() / "out" / "other.wav"), "abc");
    EXPECT_EQ(readBytes(folder.path() / "out" / "twice.wav"), "second");
    EXPECT_EQ(readBytes(folder.path() / "out" / "unrelated.txt"), "uuu");
}

TEST_F(ThemeArchiveTest, AnEmptyArchiveHoldsNothing) {
    writeBytes(archivePath, "");
    EXPECT_TRUE(ThemeArchive(archivePath).members().empty());
    ThemeArchive(archivePath).extractAll(outDir());
    EXPECT_TRUE(extractedNames().empty());
}

TEST_F(ThemeArchiveTest, AMissingArchiveCannotBeOpened) {
    try {
        ThemeArchive(archivePath).extractAll(outDir());
        FAIL() << "no error";
    } catch (const MessageError& error) {
        EXPECT_EQ(error.text(), "Could not open file");
    }
}

TEST_F(ThemeArchiveTest, SkipsAMemberWhoseFileCannotBeCreated) {
    fs::create_directory(folder.path() / "out" / "taken.wav");
    writeBytes(archivePath,
               memberBytes({"taken.wav", "xyz", {}}) + memberBytes({"b.wav", "b", {}}));
    ThemeArchive(archivePath).extractAll(outDir());
    EXPECT_TRUE(fs::is_directory(folder.path() / "out" / "taken.wav"));
    EXPECT_EQ(readBytes(folder.path() / "out" / "b.wav"), "b");
}

struct DamageCase {
    const char* what;
    std::string bytes;
    friend void PrintTo(const DamageCase& damage, std::ostream* out) { *out << damage.what; }
};

class DamagedArchive : public ThemeArchiveTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedArchive, IsRefusedBeforeAnythingIsWritten) {
    // A good member first: it must not be extracted either.
    writeBytes(archivePath, memberBytes({"good.wav", "ok", {}}) + GetParam().bytes);
    try {
        ThemeArchive(archivePath).extractAll(outDir());
        FAIL() << "no error";
    } catch (const MessageError& error) {
        EXPECT_EQ(error.text(), "The theme file \"" + archivePath + "\" is damaged.");
    }
    EXPECT_TRUE(extractedNames().empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2)
        << "only the archive and the target folder";
}

INSTANTIATE_TEST_SUITE_P(
    Damage, DamagedArchive,
    ::testing::Values(DamageCase{"data cut short", memberBytes({"cut.wav", "abc", 10})},
                      DamageCase{"header cut short", std::string(271, 'h')},
                      DamageCase{"name without NUL", memberBytes({"", "", {}, "ZimoPACK", false})},
                      DamageCase{"parent folder", memberBytes({"../x.wav", "x", {}})},
                      DamageCase{"subfolder", memberBytes({"a/x.wav", "x", {}})},
                      DamageCase{"backslash", memberBytes({"..\\x.wav", "x", {}})},
                      DamageCase{"drive", memberBytes({"c:x.wav", "x", {}})},
                      DamageCase{"empty name", memberBytes({"", "x", {}})},
                      DamageCase{"dot", memberBytes({".", "", {}})},
                      DamageCase{"dot dot", memberBytes({"..", "", {}})}),
    [](const auto& param) {
        std::string name = param.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST(CopyStreamBytes, CopiesWholeChunksUntilTheInputFails) {
    const std::string input(3000, 'i');
    for (const auto& [count, copied] : std::vector<std::pair<std::int32_t, std::size_t>>{
             {0, 0}, {-1, 0}, {2048, 2048}, {2049, 2049}, {3000, 3000}, {5000, 2048}}) {
        std::istringstream in(input);
        std::ostringstream out;
        ThemeArchive::copyStreamBytes(in, out, count);
        EXPECT_EQ(out.str().size(), copied) << "count " << count;
    }
}
