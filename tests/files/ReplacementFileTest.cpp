#include "files/ReplacementFile.h"
#include "device/VirtualHandheld.h"
#include "files/Removals.h"
#include "files/StagedFolder.h"
#include "files/TemporaryFolder.h"
#include "themes/ThemeLibrary.h"

#include "support/ArchiveBytes.h"
#include "support/Environment.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

// The library lists its theme files only, sorted without regard to case. What a save or a run
// killed half-way left behind goes; a save or a run still going and the user's own files stay.
TEST(ReplacementFile, LeftoversOfKilledSavesAreRemovedWhenTheirFolderIsNextUsed) {
    TempFolder folder;
    const std::vector<std::string> kept = {
        "b.kbt",     "A.kbt",           "D.KBT",         "sub/c.kbt",          "dir.kbt/x", ".kbt",
        "notes.txt", "notes.kbt.new-1", "b.kbt.new-x-2", "backup.zip.new-1-2", "x.kbt.wav", "kbt"};
    for (const auto& name : kept)
        folder.writeFile(name, 10);
    folder.writeFile("killed.KBT.new-3620-7", 10);
    folder.writeFile("registry.reg", 0);
    folder.writeFile("registry.reg.new-41-0", 10);
    ReplacementFile running(pcText(folder.path() / "running.kbt"));

    const std::vector<std::string> themes = {"A.kbt", "b.kbt", "D.KBT"};
    EXPECT_EQ(themeFileNames(folder.dir()), themes);
    EXPECT_TRUE(themeFileNames(folder.dir() + "missing").empty());
    EXPECT_FALSE(fs::exists(folder.path() / "killed.KBT.new-3620-7"));
    EXPECT_TRUE(fs::exists(running.path()));
    for (const auto& name : kept)
        EXPECT_TRUE(fs::exists(folder.path() / name)) << name;

    EXPECT_TRUE(fs::exists(folder.path() / "registry.reg.new-41-0"));
    VirtualHandheld device(folder.path());
    EXPECT_GE(device.CeRapiInitEx()->result(), 0);
    EXPECT_FALSE(fs::exists(folder.path() / "registry.reg.new-41-0"));

    std::ofstream(running.path()) << "new";
    ASSERT_TRUE(running.commit());
    // A folder has the name.
    std::optional<ReplacementFile> taken(std::in_place, pcText(folder.path() / "dir.kbt"));
    const fs::path temporary = taken->path();
    std::ofstream(temporary) << "new";
    EXPECT_FALSE(taken->commit()) << "a failed rename is a failure";
    taken.reset();
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_EQ(themeFileNames(folder.dir()).size(), themes.size() + 1);
#ifndef _WIN32
    // The temporary folder, in the user's own of mode 0700 where TMPDIR points: a killed run's
    // goes, a running one's stays.
    const fs::path own = folder.path() / ("belltide-" + std::to_string(::geteuid()));
    folder.writeFile(pcText(own.filename() / "run-1" / "left.wav"), 10);
    folder.writeFile(pcText(own.filename() / "run-2" / "playing.wav"), 10);
    fs::permissions(own, fs::perms::all);
    const int held = ::open((own / "run-2").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    const std::string tmpdir = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    setEnvironment("TMPDIR", pcText(folder.path()));
    const fs::path made = temporaryFolder();
    setEnvironment("TMPDIR", tmpdir);
    ::close(held);
    EXPECT_EQ(made.parent_path(), own);
    EXPECT_EQ(fs::status(own).permissions(), fs::perms::owner_all);
    EXPECT_FALSE(fs::exists(own / "run-1"));
    EXPECT_TRUE(fs::exists(own / "run-2" / "playing.wav"));
    EXPECT_NE(temporaryFolder(), made) << "TMPDIR points elsewhere again";
#endif
}

// Every file of a folder with its bytes.
std::map<std::string, std::string> contentOf(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& item : fs::directory_iterator(folder))
        files[pcText(item.path().filename())] = readBytes(item.path());
    return files;
}

const std::map<std::string, std::string> OldSet{{"a.wav", "old"}, {"c.wav", "old"}},
    NewSet{{"a.wav", "new"}, {"b.wav", "new"}};

#ifndef _WIN32
// A swap killed at any point leaves the old set or the new one, whole, once the next use of the
// folder has put right what it left.
TEST(StagedFolder, AKilledSwapLeavesTheOldSetOrTheNew) {
    enum class Kill { AtTheFlush, AfterTheSwap, Never };
    for (const Kill kill : {Kill::AtTheFlush, Kill::AfterTheSwap, Kill::Never}) {
        TempFolder folder;
        const fs::path target = folder.path() / "sounds";
        for (const auto& [name, bytes] : OldSet)
            writeBytes(folder.writeFile("sounds/" + name, 0), bytes);
        static Kill at;
        at = kill;
        const pid_t child = ::fork();
        if (child == 0) {
            replacementDiskCalls().flushFileSystem = [](const fs::path&) {
                return at == Kill::AtTheFlush ? ::raise(SIGKILL) == 0 : true;
            };
            replacementDiskCalls().flushFolder = [](const fs::path&) {
                if (at == Kill::AfterTheSwap)
                    ::raise(SIGKILL);
            };
            StagedFolder staged(target);
            for (const auto& [name, bytes] : NewSet)
                writeBytes(staged.path() / name, bytes);
            ::_exit(staged.commit() ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_EQ(WIFSIGNALED(status), kill != Kill::Never);
        recoverStagedFolder(target);
        EXPECT_EQ(contentOf(target), kill == Kill::AtTheFlush ? OldSet : NewSet);
        // The next use leaves nothing else, once the removals it started are done.
        { StagedFolder next(target); }
        waitForRemovals();
        EXPECT_EQ(folder.names(), std::set<std::string>{"sounds"});
    }
}
#endif

// What is handed to a removal frees its name at once and leaves nothing once removed, its bin
// neither; what an earlier run left in a bin goes too; what cannot go aside is removed at once.
TEST(Removals, FreeTheNameAtOnceAndLeaveNothingBehind) {
    TempFolder folder;
    for (const char* name : {"file.wav", "set/a.wav", "set/b.wav", "bin/killed run/c.wav",
                             "other bin/d.wav", "held.wav", "blocked"})
        folder.writeFile(name, 100);
    // The last with a file where its bin would be.
    for (const auto& [name, bin] :
         {std::pair{"file.wav", "bin"}, {"set", "bin"}, {"held.wav", "blocked"}}) {
        EXPECT_TRUE(removeLater(folder.path() / name, folder.path() / bin));
        EXPECT_FALSE(fs::exists(folder.path() / name)) << name;
    }
    emptyBinLater(folder.path() / "other bin");
    waitForRemovals();
    EXPECT_EQ(folder.names(), std::set<std::string>{"blocked"});
}

// Where folders cannot trade places in one step, a swap stopped between its two renames leaves
// the old set aside: it comes back, and the staging folder goes.
TEST(StagedFolder, ASwapStoppedBetweenItsRenamesIsPutRight) {
    TempFolder folder;
    const fs::path target = folder.path() / "sounds";
    for (const auto& [name, bytes] : OldSet)
        writeBytes(folder.writeFile("sounds.old/" + name, 0), bytes);
    folder.writeFile("sounds.new/a.wav", 3, 'n');
    EXPECT_TRUE(fs::is_empty(StagedFolder(target).path()));
    EXPECT_EQ(contentOf(target), OldSet);
    EXPECT_FALSE(fs::exists(folder.path() / "sounds.old") ||
                 fs::exists(folder.path() / "sounds.new"));
}
