// Download, Upload and the initial backup through the main window, with workers on their own
// threads, against a factory-fresh virtual handheld.
#include "audio/WaveFile.h"
#include "device/DefaultDevice.h"
#include "device/Utf16.h"
#include "files/FileNames.h"
#include "files/Removals.h"
#include "files/ReplacementFile.h"
#include "support/Environment.h"
#include "support/FactoryImage.h"
#include "support/MainWindowFixture.h"
#include "transfer/CBackupDlg.h"
#include "transfer/CImportDlg.h"
#include "ui/CSoundFileDialog.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <thread>

#ifndef _WIN32
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr int FactoryEntries = 25, FactoryFiles = 19;

enum class Operation { Download, Upload, Backup };
const char* const OperationNames[] = {"Download", "Upload", "Backup"};
void PrintTo(Operation operation, std::ostream* out) {
    *out << OperationNames[int(operation)];
}

// Every file in the folder and below with its bytes, by its path there.
template <class Path> std::map<std::string, std::string> filesIn(const Path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(testPath(folder)))
        if (entry.is_regular_file())
            files[pcText(fs::relative(entry.path(), testPath(folder)))] = readBytes(entry.path());
    return files;
}

struct Handheld : MainWindowHarness {
    Handheld() {
        deviceFolder = folder.path() / "device";
        copyFactoryImage(deviceFolder);
        fs::create_directories(testPath(dlg->folders().soundsDir));
    }

    // Runs the operation with device call number failing made to fail, and Cancel clicked
    // during file number cancelling (0: while connecting). An upload sends the device's own
    // theme, downloaded beforehand and, unless told not to, changed: every wave's bytes changed
    // and two events given waves of new names.
    void run(Operation operation, int failing = -1, int cancelling = -1) {
        if (operation == Operation::Upload)
            prepareUpload();
        failAt = failing;
        progressWindows.cancelDuring = cancelling;
        switch (operation) {
        case Operation::Download:
            return dlg->OnDownloadTheme();
        case Operation::Upload:
            return dlg->OnUploadTheme();
        case Operation::Backup:
            return dlg->InitialBackupCheck();
        }
    }
    // Downloads the handheld's theme and, unless told not to, changes it as run says.
    void prepareUpload() {
        downloadWhole();
        if (changed) {
            for (const auto& file : dlg->theme().soundFiles())
                writeBytes(file.path(), waveBytes("new " + file.name));
            dropWave("Asterisk", "fresh one", "new fresh one");
            dropWave("_Reminders", "fresh two", "new fresh two");
        }
        progressWindows.runs.clear();
        deviceCalls = 0;
    }
    // Downloads the handheld's theme with its notifications, to be uploaded again.
    void downloadWhole() {
        extendedCheck.checked = true;
        dlg->OnDownloadTheme();
    }
    // Gives the event a wave of that name and those bytes, as a drop on its row does.
    void dropWave(const std::string& eventName, const std::string& name, const std::string& bytes) {
        const fs::path wave = folder.path() / "picked" / (name + ".wav");
        fs::create_directories(wave.parent_path());
        writeBytes(wave, waveBytes(bytes));
        const auto& theme = dlg->theme();
        const auto row = std::distance(theme.begin(), theme.find(eventName));
        dlg->OnDropSoundFile(static_cast<int>(row), pcText(wave));
    }
    bool changed = true;
    const FakeProgressWindows::Run& lastRun() const { return progressWindows.runs.back(); }
    fs::path backupFile() const { return pcPath(dlg->folders().themesDir + InitialBackupFileName); }
    // Every file of the device's Windows folder with its bytes.
    std::map<std::string, std::string> deviceFiles() const {
        return filesIn(deviceFolder / "Windows");
    }
    // Every wave of the sounds folder with a digest of its bytes, short enough to print.
    std::map<std::string, std::size_t> soundsFolderFiles() const {
        std::map<std::string, std::size_t> files;
        for (const auto& entry : fs::directory_iterator(pcPath(dlg->folders().soundsDir)))
            if (entry.path().extension() != ".dsc")
                files[pcText(entry.path().filename())] =
                    std::hash<std::string>()(readBytes(entry.path()));
        return files;
    }
    // What an upload left on the handheld: its notes and waves under their temporary names.
    int leftovers() const {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(deviceFolder / "Windows"))
            count += pcText(entry.path().filename()).rfind("belltide-", 0) == 0;
        return count;
    }
    // Connects as the next transfer would, which puts right what an upload left.
    void reconnect() const {
        VirtualHandheld device(deviceFolder);
        RecordingMessages messages;
        DeviceLink link(device, messages);
        link.connect();
        ASSERT_TRUE(link.disconnect());
    }
    // Has the handheld's registry name these sounds for these events.
    void nameOnHandheld(const std::map<std::string, std::string>& names) const {
        VirtualHandheld device(deviceFolder);
        RecordingMessages messages;
        DeviceLink link(device, messages);
        link.connect();
        SoundTheme theme = link.readCurrentSounds();
        for (const auto& [eventName, name] : names)
            theme.find(eventName)->second.name = name;
        ASSERT_TRUE(link.writeSoundTheme(theme).empty());
        ASSERT_TRUE(link.disconnect());
    }
    // The sounds the device's registry names now.
    SoundTheme deviceSounds() const {
        VirtualHandheld device(deviceFolder);
        RecordingMessages messages;
        return DeviceLink(device, messages).readCurrentSounds();
    }
};

} // namespace

// Every call the device can fail, failed in turn, alone: the operation ends as its outcome says,
// the failure is shown at most once, the bar is full unless the connection was refused, and the
// editor holds either its old theme or the whole new one. An upload leaves the handheld byte for
// byte as it was, or the new theme there with every wave whole but for the sounds its status line
// counts; it leaves nothing of itself but where a removal failed, and the next connect takes that.
class FailureSweep : public ::testing::TestWithParam<Operation> {};

TEST_P(FailureSweep, EveryFailingCallEndsTheOperationCleanly) {
    const Operation operation = GetParam();
    const auto originalFiles = Handheld().deviceFiles();
    Handheld clean;
    clean.run(operation);
    ASSERT_TRUE(clean.lastRun().messages.empty());
    ASSERT_EQ(clean.lastRun().position, clean.lastRun().upper);
    ASSERT_GT(clean.deviceCalls, 60);
    if (operation == Operation::Upload) {
        ASSERT_EQ(clean.statusBar.text, "Sounds exported");
    } else {
        ASSERT_EQ(clean.lastRun().position, FactoryFiles + 1);
    }
    for (int failAt = 0; failAt < clean.deviceCalls; ++failAt) {
        SCOPED_TRACE("failing call " + std::to_string(failAt));
        Handheld handheld;
        const std::string registryBefore = readBytes(handheld.deviceFolder / "registry.reg");
        if (operation != Operation::Upload)
            handheld.loadSampleTheme();
        const auto soundsBefore = handheld.soundsFolderFiles();
        handheld.run(operation, failAt);
        const auto& run = handheld.lastRun();
        SCOPED_TRACE(handheld.failedCall);
        EXPECT_LE(run.messages.size(), 1u);
        if (failAt == 0) {
            EXPECT_EQ(run.messages.at(0).substr(0, 74),
                      "Couldn't establish a connection to the device. Check Activesync connection");
        }
        EXPECT_EQ(run.waitDepth + handheld.prompts.waitDepth, 0);
        EXPECT_EQ(handheld.openKeys, 0) << "every key opened is closed";
        const bool refused = failAt == 0;
        // An upload whose journal cannot be written ends before its first file.
        const bool started = run.upper >= 0;
        EXPECT_TRUE(
            started || refused ||
            (operation == Operation::Upload && handheld.statusBar.text == "Sounds not exported"));
        EXPECT_EQ(run.position, started ? run.upper : 0);
        if (operation != Operation::Upload) {
            const bool done = operation == Operation::Backup
                                  ? fs::exists(handheld.backupFile())
                                  : handheld.statusBar.text != "Sounds not imported";
            EXPECT_EQ(done, !refused) << handheld.statusBar.text;
            if (!done) {
                EXPECT_EQ(handheld.rows(), Handheld::SampleRows);
                EXPECT_EQ(handheld.soundsFolderFiles(), soundsBefore);
                continue;
            }
            // The whole new theme: each sound the handheld's own, no wave of the theme before
            // standing in for one that did not arrive, and the status line tells how many did not.
            EXPECT_EQ(handheld.dlg->theme().size(), FactoryEntries);
            std::map<std::string, std::size_t> shown;
            int lost = 0;
            for (const auto& [eventName, entry] : handheld.dlg->theme()) {
                if (entry.hasSound())
                    shown[entry.name + entry.extension] =
                        std::hash<std::string>()(originalFiles.at(entry.name + ".wav"));
                const auto& cleanEntry = clean.dlg->theme().find(eventName)->second;
                lost += cleanEntry.hasSound() && !entry.hasSound();
            }
            EXPECT_EQ(handheld.soundsFolderFiles(), shown);
            // A setting that cannot be read is no sound, or the defaults, and is not a copy.
            if (operation == Operation::Download && !handheld.failedCall.starts_with("CeReg")) {
                EXPECT_EQ(handheld.statusBar.text,
                          lost == 0 ? "Sounds imported"
                                    : std::to_string(lost) + (lost == 1 ? " sound" : " sounds") +
                                          " could not be imported");
            }
            continue;
        }
        EXPECT_EQ(handheld.dlg->theme().size(), FactoryEntries);
        if (handheld.failedCall != "CeDeleteFile") {
            EXPECT_EQ(handheld.leftovers(), 0);
        }
        handheld.reconnect();
        EXPECT_EQ(handheld.leftovers(), 0);
        const SoundTheme onDevice = handheld.deviceSounds();
        const auto files = handheld.deviceFiles();
        int differing = 0;
        for (const auto& [eventName, entry] : handheld.dlg->theme()) {
            const auto there = onDevice.find(eventName);
            ASSERT_NE(there, onDevice.end()) << eventName;
            const SoundEntry& named = there->second;
            if (named.hasSound()) {
                // Whole: as the handheld had it, or as the theme has it.
                const std::string bytes = files.at(named.name + ".wav");
                EXPECT_TRUE(bytes == waveBytes("new " + named.name) ||
                            bytes == originalFiles.at(named.name + ".wav"))
                    << eventName << " names a broken " << named.name;
            }
            differing +=
                named.name != entry.name ||
                (entry.hasSound() && files.at(named.name + ".wav") != readBytes(entry.path()));
        }
        const std::string status = handheld.statusBar.text;
        if (status == "Sounds not exported") {
            EXPECT_TRUE(readBytes(handheld.deviceFolder / "registry.reg") == registryBefore);
            EXPECT_TRUE(files == originalFiles);
        } else if (handheld.failedCall == "CeRapiInvoke" || handheld.failedCall == "CeRapiUninit") {
            EXPECT_EQ(status, "Sounds sent, but not taken up by the PocketPC");
            EXPECT_EQ(differing, 0);
        } else if (differing == 0) {
            EXPECT_EQ(status, "Sounds exported");
        } else {
            EXPECT_EQ(status, std::to_string(differing) + (differing == 1 ? " sound" : " sounds") +
                                  " could not be exported");
        }
    }
}

using enum Operation;
INSTANTIATE_TEST_SUITE_P(Transfers, FailureSweep, ::testing::Values(Download, Upload, Backup),
                         ::testing::PrintToStringParamName());

// Cancel clicked while any one file is copied, or while connecting: that file is finished, no
// other is started, and the outcome is that of nothing done. The editor keeps its theme, the
// handheld every byte of its registry and files with nothing left beside them, and no backup is
// written, so the next start takes one.
class CancelSweep : public ::testing::TestWithParam<Operation> {};

TEST_P(CancelSweep, StopsAfterTheCurrentFileWithNothingDone) {
    const Operation operation = GetParam();
    Handheld clean;
    clean.run(operation);
    const int files = clean.lastRun().upper - 1;
    ASSERT_GE(files, FactoryFiles);
    for (int cancelling = 0; cancelling <= files; ++cancelling) {
        SCOPED_TRACE("Cancel during file " + std::to_string(cancelling));
        Handheld handheld;
        handheld.loadSampleTheme();
        const std::string registryBefore = readBytes(handheld.deviceFolder / "registry.reg");
        const auto filesBefore = handheld.deviceFiles();
        const auto soundsBefore = handheld.soundsFolderFiles();
        handheld.run(operation, -1, cancelling);
        const auto& run = handheld.lastRun();
        EXPECT_TRUE(run.ended && run.messages.empty() && run.waitDepth == 0);
        EXPECT_EQ(run.texts.front(), WaitingText);
        EXPECT_EQ(run.copying, cancelling);
        if (cancelling > 0) {
            const std::string last = run.texts.back();
            EXPECT_EQ(last.substr(last.rfind(" (")),
                      " (" + std::to_string(cancelling) + " of " + std::to_string(files) + ")");
        }
        EXPECT_EQ(run.position, cancelling + 1);
        switch (operation) {
        case Operation::Download:
            EXPECT_EQ(handheld.statusBar.text, "Sounds not imported");
            EXPECT_EQ(handheld.rows(), Handheld::SampleRows);
            EXPECT_EQ(handheld.soundsFolderFiles(), soundsBefore) << "alarm1.wav is the theme's";
            break;
        case Operation::Backup:
            EXPECT_FALSE(fs::exists(handheld.backupFile()));
            EXPECT_EQ(handheld.rows(), Handheld::SampleRows);
            EXPECT_EQ(handheld.soundsFolderFiles(), soundsBefore) << "alarm1.wav is the theme's";
            handheld.run(Operation::Backup);
            EXPECT_TRUE(fs::exists(handheld.backupFile()));
            break;
        case Operation::Upload: {
            EXPECT_EQ(handheld.statusBar.text, "Sounds not exported");
            EXPECT_EQ(readBytes(handheld.deviceFolder / "registry.reg"), registryBefore);
            EXPECT_FALSE(fs::exists(handheld.deviceFolder / "audio-reloads.log"));
            EXPECT_TRUE(handheld.deviceFiles() == filesBefore) << handheld.leftovers();
            break;
        }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Transfers, CancelSweep, ::testing::Values(Download, Upload, Backup),
                         ::testing::PrintToStringParamName());

#ifndef _WIN32
// An upload killed at any one device call, in a child process: the next connect finds the
// handheld with the old sounds and registry, byte for byte, or with the whole new theme, and
// nothing of the upload left. Killed in its second phase, the upload is finished. A killed process
// loses nothing the kernel holds, so the disk is not flushed here; what would be is noted for the
// clean uploads: as much for any number of waves, the new ones while they all still wait under
// their temporary names, the moves before the registry.
TEST(UploadKillSweep, TheNextConnectFindsTheOldSoundsOrTheWholeNewTheme) {
    static std::vector<std::string> flushed;
    static fs::path windows;
    const ReplacementDiskCalls real = replacementDiskCalls();
    const std::shared_ptr<void> restoreFlushes(nullptr,
                                               [&](void*) { replacementDiskCalls() = real; });
    Handheld handheld;
    handheld.prepareUpload();
    const fs::path device = handheld.deviceFolder, saved = handheld.folder.path() / "saved";
    windows = device / "Windows";
    replacementDiskCalls().flushFile = [](int) { return flushed.push_back("registry"), true; };
    replacementDiskCalls().flushFolder = [](const fs::path& at) {
        flushed.push_back(pcText(at.filename()));
    };
    replacementDiskCalls().flushFileSystem = [](const fs::path&) {
        int waiting = 0;
        for (const auto& entry : fs::directory_iterator(windows))
            waiting += entry.path().extension() == ".new";
        return flushed.push_back(waiting ? "waves" : "waves moved"), true;
    };
    fs::copy(device, saved, fs::copy_options::recursive);
    const auto restore = [&] {
        waitForRemovals();
        fs::remove_all(device);
        fs::copy(saved, device, fs::copy_options::recursive);
        flushed.clear();
    };
    const auto state = [&] {
        return std::pair(handheld.deviceFiles(), readBytes(device / "registry.reg"));
    };
    const auto before = state();
    for (const bool notifications : {true, false}) { // the events' waves alone go quicker
        restore();
        handheld.extendedCheck.checked = notifications;
        handheld.deviceCalls = 0;
        handheld.dlg->OnUploadTheme();
        ASSERT_EQ(handheld.statusBar.text, "Sounds exported");
        EXPECT_EQ(flushed, (std::vector<std::string>{"waves", "Windows", "registry", "device"}));
    }
    const auto after = state();
    const int calls = handheld.deviceCalls;
    int undone = 0, finished = 0;
    for (int killAt = 0; killAt < calls; ++killAt) {
        SCOPED_TRACE("killed at call " + std::to_string(killAt));
        restore();
        const pid_t child = ::fork();
        if (child == 0) {
            handheld.failAt = killAt;
            handheld.killAtFailure = true;
            handheld.deviceCalls = 0;
            handheld.dlg->OnUploadTheme();
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        const bool left = handheld.leftovers() > 0;
        handheld.reconnect();
        EXPECT_EQ(handheld.leftovers(), 0);
        const auto now = state();
        EXPECT_TRUE(now == before || now == after);
        undone += left && now == before;
        finished += left && now == after;
    }
    EXPECT_GT(undone, 0);
    EXPECT_GT(finished, 0);
}
#endif

// Parameterised by the device backend where it matters: on Windows also rapi.dll.
class Transfer : public ::testing::TestWithParam<DeviceBackend>, public Handheld {};

TEST_P(Transfer, DownloadThenUploadLeavesTheDeviceAsItWasAndReloadsItsSounds) {
    backend = GetParam();
    changed = false;
    const std::string registryBefore = readBytes(deviceFolder / "registry.reg");
    const auto filesBefore = deviceFiles();
    run(Operation::Upload);
    EXPECT_EQ(std::vector(statusBar.history.end() - 2, statusBar.history.end()),
              (std::vector<std::string>{"Exporting sounds to PocketPC...", "Sounds exported"}));
    for (const auto& file : dlg->theme().soundFiles())
        EXPECT_EQ(readBytes(file.path()), filesBefore.at(file.name + file.extension));
    EXPECT_EQ(readBytes(deviceFolder / "registry.reg"), registryBefore);
    EXPECT_EQ(deviceFiles(), filesBefore);
    // One reload, after the last file.
    const fs::path reloads = deviceFolder / "audio-reloads.log";
    const std::string reloaded = readBytes(reloads);
    EXPECT_EQ(std::count(reloaded.begin(), reloaded.end(), '\n'), 1);
    for (const auto& [name, bytes] : filesBefore)
        EXPECT_GE(fs::last_write_time(reloads),
                  fs::last_write_time(deviceFolder / "Windows" / name));
}

// A wave of a few mebibytes goes both ways a mebibyte at a time, comes back whole, and the bar
// moves while it is copied.
TEST_F(Transfer, ALargeWaveIsCopiedInChunksThatMoveTheBar) {
    downloadWhole();
    const std::string samples(5 << 19, 'l'); // 2.5 MiB
    dropWave("Asterisk", "large", samples);
    dlg->OnUploadTheme();
    ASSERT_EQ(statusBar.text, "Sounds exported");
    const std::vector<double> parts = lastRun().parts;
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_NEAR(parts[0], 0.4, 0.001);
    EXPECT_NEAR(parts[1], 0.8, 0.001);
    dlg->m_modified = false;
    dlg->OnDownloadTheme();
    EXPECT_EQ(lastRun().parts, parts);
    EXPECT_EQ(readBytes(dlg->theme().find("Asterisk")->second.path()), waveBytes(samples));
}

// What an upload asks besides the copies, as each backend answers it.
TEST_P(Transfer, TellsTheFreeSpaceAndMovesOnlyToAFreeName) {
    const auto device = GetParam().make(deviceFolder);
    const auto attempt = device->CeRapiInitEx();
    ASSERT_TRUE(attempt && attempt->wait(std::chrono::seconds(5)) && attempt->result() >= 0);
    std::uint64_t available = 0;
    EXPECT_TRUE(device->CeGetDiskFreeSpaceEx(u"\\Windows", &available));
    EXPECT_GT(available, 0u);
    EXPECT_FALSE(device->CeMoveFile(u"\\Windows\\alarm1.wav", u"\\Windows\\ALARM2.wav"));
    EXPECT_EQ(deviceFiles(), Handheld().deviceFiles());
    device->CeRapiUninit();
}

INSTANTIATE_TEST_SUITE_P(Backends, Transfer, ::testing::ValuesIn(deviceBackends()),
                         [](const auto& param) { return std::string(param.param.name); });

// The first start backs up the handheld once the window is shown, never beside another transfer:
// a Download clicked before the check has run makes it wait. A theme named at the start is what
// the editor shows once the backup is taken.
TEST_F(Transfer, FirstStartBacksUpTheDeviceOnceAndAloneThenShowsTheThemeNamedAtStart) {
    const auto filesBefore = deviceFiles();
    dlg->setStartupTheme(writeSampleTheme(pcText(folder.path() / "sample.kbt")));
    dlg->OnInitDialog();
    EXPECT_TRUE(progressWindows.runs.empty()) << "the backup waits for the window";
    dlg->OnDownloadTheme();
    EXPECT_FALSE(fs::exists(backupFile()));
    progressWindows.runPending();
    EXPECT_EQ(progressWindows.mostAtOnce, 1);
    EXPECT_EQ(lastRun().dialog.title, "Current Sounds Backup");
    const std::string archive = readBytes(backupFile());
    for (const auto& [name, bytes] : filesBefore)
        EXPECT_NE(archive.find(memberBytes(name, bytes)), std::string::npos) << name;
    EXPECT_EQ(rows(), SampleRows);
    EXPECT_EQ(themeCombo.itemText(themeCombo.selected), "sample.kbt");
    std::set<std::string> sounds;
    for (const auto& file : fs::directory_iterator(testPath(dlg->folders().soundsDir)))
        sounds.insert(pcText(file.path().filename()));
    EXPECT_EQ(sounds, (std::set<std::string>{"chime.wav", "alarm1.wav", "theme.dsc"}));
    dlg->InitialBackupCheck();
    EXPECT_EQ(progressWindows.runs.size(), 2u);
}

// Kept the library's theme of the same name when asked at start: once the backup is taken, the
// theme shown is still the one named at start, not the library's namesake.
TEST_F(Transfer, AfterTheBackupTheThemeNamedAtStartIsShownFromWhereItWasOpened) {
    writeBytes(dlg->folders().themesDir + "sample.kbt",
               memberBytes("theme.dsc", "1\r\nAsterisk\r\n(none)\r\n\r\n"));
    dlg->setStartupTheme(writeSampleTheme(pcText(folder.path() / "sample.kbt")));
    prompts.answers = {false}; // keep the library's theme
    dlg->OnInitDialog();
    progressWindows.runPending();
    EXPECT_TRUE(fs::exists(backupFile()));
    EXPECT_EQ(rows(), SampleRows);
}

#ifndef _WIN32 // where a file system is flushed at once; Windows flushes each file
// The waves of a download or of a theme opened reach the disk with one flush of it, however many
// they are, and the folder that takes their place with one more.
TEST_F(Transfer, ASetOfWavesIsFlushedOnce) {
    static int flushes = 0;
    static ReplacementDiskCalls real;
    real = replacementDiskCalls();
    ReplacementDiskCalls counting = real;
    counting.flushFile = [](int file) { return ++flushes, real.flushFile(file); };
    counting.flushFolder = [](const fs::path& at) { ++flushes, real.flushFolder(at); };
    counting.flushFileSystem = [](const fs::path& on) {
        return ++flushes, real.flushFileSystem(on);
    };
    replacementDiskCalls() = counting;
    const std::shared_ptr<void> restore(nullptr, [](void*) { replacementDiskCalls() = real; });
    downloadWhole();
    EXPECT_EQ(dlg->theme().soundFiles().size(), std::size_t(FactoryFiles));
    EXPECT_EQ(flushes, 2);
    flushes = 0;
    loadSampleTheme();
    EXPECT_EQ(flushes, 2);
}
#endif

// A wave of the theme the handheld cannot play goes converted, the theme's file as it was; a file
// that is no sound stays on the PC, and its events keep the handheld's sound.
TEST_F(Transfer, AnUnplayableWaveGoesConvertedAndANonSoundIsLeftOut) {
    downloadWhole();
    auto expected = deviceFiles();
    const SoundEntry& question = dlg->theme().find("Question")->second;
    const SoundEntry& asterisk = dlg->theme().find("Asterisk")->second;
    writeBytes(question.path(), "\x1f\x8b damaged");
    writeBytes(asterisk.path(), floatWaveBytes(0.2));
    dlg->OnUploadTheme();
    ASSERT_EQ(lastRun().messages.size(), 1u);
    EXPECT_NE(lastRun().messages[0].find("is not a wave file"), std::string::npos);
    EXPECT_NE(statusBar.text.find("could not be exported"), std::string::npos);
    EXPECT_TRUE(readBytes(asterisk.path()) == floatWaveBytes(0.2));
    const std::string sent =
        pcText(deviceFolder / "Windows" / (asterisk.name + asterisk.extension));
    const auto wave = readWaveFormat(sent);
    ASSERT_TRUE(wave && isHandheldWave(*wave));
    EXPECT_EQ(formatLength(*waveLength(sent)), "0:00.2");
    expected[asterisk.name + asterisk.extension] = readBytes(sent);
    EXPECT_TRUE(deviceFiles() == expected);
}

// A wave that can neither take the place of the old one nor be written over it: every wave
// placed before it goes back, and the handheld is as it was.
TEST_F(Transfer, AWaveThatCannotTakeItsPlacePutsEveryWaveBack) {
    struct Stuck : VirtualHandheld {
        using VirtualHandheld::VirtualHandheld;
        static bool stuck(const std::u16string& path) {
            return fromUtf16(path).ends_with("\\menupop.wav");
        }
        bool CeMoveFile(const std::u16string& from, const std::u16string& to) override {
            return !(stuck(to) && fromUtf16(from).ends_with(".new")) &&
                   VirtualHandheld::CeMoveFile(from, to);
        }
        Rapi::Handle CeCreateFile(const std::u16string& path, std::uint32_t access,
                                  std::uint32_t share, std::uint32_t how,
                                  std::uint32_t attributes) override {
            return access == Rapi::GenericWrite && stuck(path)
                       ? Rapi::InvalidHandle
                       : VirtualHandheld::CeCreateFile(path, access, share, how, attributes);
        }
    };
    backend.make = [](const fs::path& at) -> std::unique_ptr<RemoteDevice> {
        return std::make_unique<Stuck>(at);
    };
    prepareUpload();
    const std::string registryBefore = readBytes(deviceFolder / "registry.reg");
    const auto filesBefore = deviceFiles();
    dlg->OnUploadTheme();
    EXPECT_EQ(lastRun().messages,
              std::vector<std::string>{"Could not write file to PPC \"\\Windows\\menupop.wav\".\n"
                                       "The Pocket PC keeps the sounds it had."});
    EXPECT_EQ(statusBar.text, "Sounds not exported");
    EXPECT_TRUE(readBytes(deviceFolder / "registry.reg") == registryBefore);
    EXPECT_TRUE(deviceFiles() == filesBefore);
    EXPECT_EQ(leftovers(), 0);
}

// A conversion that finds no temporary folder of Belltide's own, or that the user cancels,
// changes nothing: a drop leaves the row, the theme and the sounds folder as they were, an
// upload the handheld; the reason is told once, and the preview plays the pick as it stands.
class ConversionStops : public ::testing::TestWithParam<std::string>, public Handheld {
protected:
    ~ConversionStops() override {
        setEnvironment("TMPDIR", m_tmpdir);
        if (m_mounted)
            std::system(("umount '" + pcText(m_tmp) + "'").c_str());
    }
#ifndef _WIN32
    // Lays out TMPDIR's place; why the folder of Belltide's own cannot be made there, or nothing
    // where this process cannot lay it out (root writes in any folder, and owns what it makes).
    std::string layOut(const std::string& stop) {
        const bool root = ::geteuid() == 0;
        if (stop == "TmpdirReadOnly") {
            fs::create_directories(m_tmp);
            if (!root)
                fs::permissions(m_tmp, fs::perms::owner_read | fs::perms::owner_exec);
            m_mounted = root && std::system(("mount -t tmpfs -o ro,size=64k tmpfs '" +
                                             pcText(m_tmp) + "' 2>/dev/null")
                                                .c_str()) == 0;
            return !root ? "Permission denied" : m_mounted ? "Read-only file system" : "";
        }
        if (stop == "AnotherUsersFolder") {
            fs::create_directories(m_own);
            return ::chown(m_own.c_str(), ::geteuid() + 1, static_cast<gid_t>(-1)) == 0
                       ? "another user owns a folder of that name"
                       : "";
        }
        if (stop == "ALinkInItsPlace") {
            fs::create_directories(m_tmp / "elsewhere");
            fs::create_directory_symlink(m_tmp / "elsewhere", m_own);
            return "something that is no folder has its name";
        }
        return "No such file or directory";
    }
#endif
    const fs::path m_tmp = folder.path() / "tmp";
#ifndef _WIN32
    const fs::path m_own = m_tmp / ("belltide-" + std::to_string(::geteuid()));
#endif
    const std::string m_tmpdir = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    bool m_mounted = false;
};

TEST_P(ConversionStops, ChangeNothing) {
    dlg->OnInitDialog(); // the first start's backup waits for every dialog to end
    downloadWhole();
    const std::string pick = pcText(folder.writeFile("picked/loud.wav", 0));
    writeBytes(pick, floatWaveBytes(0.2));
    // Converted on its way to the handheld.
    writeBytes(dlg->theme().find("Question")->second.path(), floatWaveBytes(0.1));
    dlg->m_modified = false;
    const auto rowsBefore = rows();
    const auto soundsBefore = filesIn(dlg->folders().soundsDir),
               deviceBefore = filesIn(deviceFolder);
    std::vector<std::string> told;
#ifndef _WIN32
    if (GetParam() != "Cancel") {
        const std::string reason = layOut(GetParam());
        if (reason.empty())
            GTEST_SKIP() << "this process cannot lay it out";
        told = {"Belltide could not make its temporary folder \"" + pcText(m_own) +
                "\": " + reason + "."};
        setEnvironment("TMPDIR", pcText(m_tmp));
    }
#endif
    progressWindows.cancelDuring = told.empty() ? 1 : -1; // while the first sound is converted

    RecordingSoundPlayer player;
    CSoundFileDialog(player, {}).OnFileNameChange(pick);
    EXPECT_EQ(player.played.at(0) == pick, !told.empty());
    dlg->OnDropSoundFile(0, pick);
    EXPECT_EQ(prompts.messages, told);
    EXPECT_EQ(rows(), rowsBefore);
    EXPECT_FALSE(dlg->isModified());
    dlg->OnUploadTheme();
    EXPECT_EQ(lastRun().messages, told);
    for (const std::string& text : lastRun().texts)
        EXPECT_NE(text.rfind("Copying ", 0), 0u) << "a copy started";
    EXPECT_EQ(statusBar.text, "Sounds not exported");
    EXPECT_TRUE(filesIn(deviceFolder) == deviceBefore) << "the registry and every wave as before";
    EXPECT_TRUE(filesIn(dlg->folders().soundsDir) == soundsBefore);
    EXPECT_EQ(progressWindows.mostAtOnce, 1);
}

INSTANTIATE_TEST_SUITE_P(Conversions, ConversionStops,
#ifndef _WIN32
                         ::testing::Values("Cancel", "TmpdirMissing", "TmpdirReadOnly",
                                           "AnotherUsersFolder", "ALinkInItsPlace"),
#else
                         ::testing::Values("Cancel"),
#endif
                         [](const auto& param) { return param.param; });

// With the box unchecked the handheld's notification sounds stay as they are.
TEST_F(Transfer, AnUncheckedBoxLeavesTheNotificationsAlone) {
    run(Operation::Upload);
    extendedCheck.checked = false;
    const std::string remindersBefore = deviceSounds().find("_Reminders")->second.name;
    dropWave("_Reminders", "fresh three", "new fresh three");
    dlg->OnUploadTheme();
    EXPECT_EQ(deviceSounds().find("_Reminders")->second.name, remindersBefore);
    EXPECT_FALSE(fs::exists(deviceFolder / "Windows" / "fresh three.wav"));
    EXPECT_FALSE(dlg->theme().uploadExtended());
}

// Whatever Belltide uploads it downloads and backs up exactly: names of every length a PC file
// can have, and beyond ASCII, for an event and a notification.
struct RoundTripNames {
    const char* label;
    std::string event, notification;
};

class RoundTrip : public ::testing::TestWithParam<RoundTripNames>, public Handheld {};

TEST_P(RoundTrip, UploadedNamesComeBackByDownloadAndBackup) {
    const auto& names = GetParam();
    downloadWhole();
    dropWave("Asterisk", names.event, "event " + names.event);
    dropWave("_Reminders", names.notification, "notification " + names.notification);
    dlg->OnUploadTheme();
    ASSERT_EQ(statusBar.text, "Sounds exported");
    const SoundTheme sent = dlg->theme();

    const auto sameAsSent = [&](const char* how) {
        SCOPED_TRACE(how);
        ASSERT_EQ(dlg->theme().size(), sent.size());
        for (const auto& [eventName, entry] : sent) {
            const SoundEntry& back = dlg->theme().find(eventName)->second;
            EXPECT_EQ(back.name, entry.name) << eventName;
            if (entry.hasSound()) {
                EXPECT_EQ(readBytes(back.path()), readBytes(entry.path())) << eventName;
            }
        }
    };
    dlg->m_modified = false;
    dlg->OnDownloadTheme();
    EXPECT_EQ(statusBar.text, "Sounds imported");
    sameAsSent("download");
    dlg->InitialBackupCheck();
    sameAsSent("backup");
    EXPECT_TRUE(progressWindows.runs.back().messages.empty());
    EXPECT_TRUE(prompts.messages.empty());
}

const RoundTripNames RoundTripCases[] = {
    {"short", "a", "b"},
    {"twenty", "conf-waitforleader24", "conf-waitforleader25"},
    {"fortynine", std::string(49, 'e'), std::string(49, 'n')},
    {"fifty", std::string(50, 'e'), std::string(50, 'n')},
    {"onehundredninety", std::string(190, 'e'), std::string(190, 'n')},
    {"beyond_ascii", "Glöckchen €", "Тема звонка 🔔"},
};
INSTANTIATE_TEST_SUITE_P(Names, RoundTrip, ::testing::ValuesIn(RoundTripCases),
                         [](const auto& param) { return std::string(param.param.label); });

// Names the handheld gives that no file on the PC can have are never copied: their events show
// no sound, the summary message names each once, and the download and the backup go on with
// every other sound.
struct UnfitName {
    const char* label;
    std::string name;
};

class UnfitDeviceNames : public ::testing::TestWithParam<UnfitName>, public Handheld {};

TEST_P(UnfitDeviceNames, AreNotCopiedAndTheRestArrives) {
    const std::string name = GetParam().name;
    nameOnHandheld({{"Asterisk", name}, {"_Reminders", name}});
    for (const Operation operation : {Operation::Download, Operation::Backup}) {
        SCOPED_TRACE(OperationNames[int(operation)]);
        run(operation);
        ASSERT_EQ(lastRun().messages.size(), 1u);
        const std::string said = lastRun().messages[0];
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 3) << said; // a heading, two lines
        EXPECT_NE(said.find("\"" + name + "\" for Asterisk"), std::string::npos) << said;
        int silent = 0;
        for (const auto& [eventName, entry] : dlg->theme())
            silent += !entry.hasSound();
        EXPECT_EQ(silent, 2);
        EXPECT_FALSE(dlg->theme().find("Asterisk")->second.hasSound());
        if (operation == Operation::Download) {
            EXPECT_EQ(statusBar.text, "2 sounds could not be imported");
        }
        dlg->m_modified = false;
    }
    EXPECT_TRUE(fs::exists(backupFile()));
}

// The handheld finds one file under a name in any letter case: the PC keeps one file too, and
// both events play it, here and back on the handheld.
TEST_F(Transfer, ANameInTwoLetterCasesIsOneSound) {
    nameOnHandheld({{"Asterisk", "Alarm1"}, {"Critical Stop", "ALARM1"}});
    downloadWhole();
    EXPECT_EQ(statusBar.text, "Sounds imported");
    const SoundEntry& first = dlg->theme().find("Asterisk")->second;
    const SoundEntry& second = dlg->theme().find("Critical Stop")->second;
    EXPECT_TRUE(equalIgnoringCase(first.name, "alarm1") && first.path() == second.path());
    EXPECT_EQ(readBytes(first.path()), deviceFiles().at("alarm1.wav"));
    EXPECT_EQ(dlg->theme().soundFiles().count(second), 1u);
    int alarms = 0;
    for (const auto& [name, bytes] : soundsFolderFiles())
        alarms += equalIgnoringCase(name, "alarm1.wav");
    EXPECT_EQ(alarms, 1);
}

const UnfitName UnfitNames[] = {{"sub_folder", "Sub\\Beep"},
                                {"parent", "..\\x"},
                                {"drive", "c:x"},
                                {"device_name", "NUL"},
                                {"com_port", "com1"},
                                {"trailing_dot", "a.wav."},
                                {"reserved", "what?"},
                                {"too_long", std::string(252, 'l')}};
INSTANTIATE_TEST_SUITE_P(Names, UnfitDeviceNames, ::testing::ValuesIn(UnfitNames),
                         [](const auto& param) { return std::string(param.param.label); });

#ifndef _WIN32
// A handheld on a file system of its own of 1 MiB. Skipped where this process may not mount one.
class SmallHandheld : public ::testing::Test, public Handheld {
protected:
    void SetUp() override {
        if (!shell("mount -t tmpfs -o size=1m tmpfs '" + pcText(volume) + "' 2>/dev/null"))
            GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
        mounted = true;
        fs::copy(deviceFolder, volume / "device", fs::copy_options::recursive);
        deviceFolder = volume / "device";
    }
    ~SmallHandheld() override {
        if (mounted)
            shell("umount '" + pcText(volume) + "'");
    }
    static bool shell(const std::string& command) { return ::system(command.c_str()) == 0; }
    const fs::path volume =
        (fs::create_directories(folder.path() / "volume"), folder.path() / "volume");
    bool mounted = false;
};

// The room an upload needs is that of every new wave at once, beside the old ones, and of its
// two notes: a theme that needs one cluster more than is free is not started; one that fits,
// with the registry's room to spare, is sent whole.
TEST_F(SmallHandheld, AnUploadNeedsRoomForEveryNewWaveAtOnce) {
    constexpr std::uintmax_t Cluster = 4096;
    const auto clusters = [&](std::uintmax_t bytes) { return (bytes + Cluster - 1) / Cluster; };
    downloadWhole();
    std::uintmax_t needed = 2;
    for (const auto& file : dlg->theme().soundFiles()) {
        writeBytes(file.path(), waveBytes(std::string(15000, 'n') + file.name));
        needed += clusters(fs::file_size(testPath(file.path())));
    }
    const std::uintmax_t registry = clusters(fs::file_size(deviceFolder / "registry.reg"));
    for (const std::uintmax_t free : {needed - 1, needed + registry + 2}) {
        fs::remove(volume / "filler");
        writeBytes(volume / "filler",
                   std::string(fs::space(volume).available - free * Cluster, 'f'));
        dlg->OnUploadTheme();
        if (free > needed) {
            EXPECT_EQ(statusBar.text, "Sounds exported");
            continue;
        }
        EXPECT_EQ(statusBar.text, "Sounds not exported");
        EXPECT_EQ(lastRun().messages,
                  std::vector<std::string>{
                      "The theme's sounds need " + std::to_string(needed * 4) +
                      " KB on the Pocket PC, but only " + std::to_string(free * 4) +
                      " KB are free there. Nothing was exported; make room on the Pocket PC or "
                      "choose smaller sounds."});
    }
}

// A handheld that cannot tell its free space fills up during the copies: no worse than a failed
// copy, told once, and only that sound is missing.
TEST_F(SmallHandheld, AWaveThatFillsTheHandheldLeavesNoTraceAndItsEventUnchanged) {
    struct Untold : VirtualHandheld {
        using VirtualHandheld::VirtualHandheld;
        bool CeGetDiskFreeSpaceEx(const std::u16string&, std::uint64_t*) override { return false; }
    };
    backend.make = [](const fs::path& at) -> std::unique_ptr<RemoteDevice> {
        return std::make_unique<Untold>(at);
    };
    downloadWhole();
    const auto filesBefore = deviceFiles();
    dropWave("Asterisk", "big", std::string(800 << 10, 'b'));
    dlg->OnUploadTheme();
    ASSERT_EQ(lastRun().messages.size(), 1u);
    EXPECT_NE(lastRun().messages[0].find("\\Windows\\big.wav"), std::string::npos);
    EXPECT_EQ(deviceFiles(), filesBefore);
    EXPECT_EQ(deviceSounds().find("Asterisk")->second.name, "alarm1");
    EXPECT_EQ(statusBar.text, "1 sound could not be exported");
}

#endif

// A dialog that goes away under its worker, or a toolkit that throws out of the modal loop: the
// worker is released and ends, and the editor keeps its theme.
class LostDialog : public ::testing::TestWithParam<bool>, public Handheld {};

TEST_P(LostDialog, ReleasesTheWorker) {
    const bool throwsOutOfTheLoop = GetParam();
    struct Windows : ProgressWindows {
        bool throws = false;
        FakeProgressWindows::Run run;
        std::vector<std::function<void()>> kept; // never run; destroyed with the test
        void runModal(const ProgressDialogTemplate&,
                      const std::function<void(ProgressWindow&)>& onShown) override {
            onShown(run);
            if (throws)
                throw std::runtime_error("the toolkit gave up");
        }
        void callAfter(std::function<void()> call) override {
            if (throws)
                kept.push_back(std::move(call)); // queued on a window that is gone
        }
    } windows;
    windows.throws = throwsOutOfTheLoop;
    // A hang here is the fault itself: fail loudly rather than wait for the test's time-out.
    std::atomic<bool> ended{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 300 && !ended; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!ended) {
            std::fputs("the worker was never released\n", stderr);
            std::abort();
        }
    });
    {
        CImportDlg import(dlg->folders().soundsDir,
                          TransferServices{windows, [this] { return backend.make(deviceFolder); }});
        if (throwsOutOfTheLoop) {
            EXPECT_THROW(import.DoModal(), std::runtime_error);
        } else {
            import.DoModal();
            EXPECT_EQ(import.m_result.size(), 0);
        }
    }
    ended = true;
    watchdog.join();
    EXPECT_FALSE(windows.run.ended);
}

INSTANTIATE_TEST_SUITE_P(Handoff, LostDialog, ::testing::Values(false, true),
                         [](const auto& param) {
                             return std::string(param.param ? "ToolkitThrows" : "CallDropped");
                         });

TEST_F(Transfer, AnUnexpectedProblemIsToldOnceAndChangesNothing) {
    backend.make = [](const fs::path&) -> std::unique_ptr<RemoteDevice> {
        throw fs::filesystem_error("cannot list", std::make_error_code(std::errc::io_error));
    };
    dlg->OnDownloadTheme();
    ASSERT_EQ(lastRun().messages.size(), 1u);
    EXPECT_EQ(
        lastRun().messages[0].rfind("The transfer stopped because of an unexpected problem", 0),
        0u);
    EXPECT_TRUE(lastRun().ended);
    EXPECT_EQ(statusBar.text, "Sounds not imported");
    EXPECT_EQ(dlg->theme().size(), 0);
}

#ifndef _WIN32
// The handheld through our library with SynCE's ABI, behaving as SynCE or a handheld may: each
// row's transfer tells its one message (or none) within its time and, unless it was done, leaves
// the handheld and the editor as they were. The library refuses every call from a thread without
// the session; no row makes one but the row that does so on purpose. The virtual handheld in
// the program folder is this very one, which no choice of the library ever falls back to.
enum class HandheldIs { There, Absent, AbsentAndCancelled, AbsentAndDialogGone };
struct LibraryBehaviour {
    const char* name;
    Operation operation;
    std::string message; // "" for none
    bool done = false;
    std::pair<const char*, const char*> environment = {};
    HandheldIs handheld = HandheldIs::There;
    int atLeastMs = 0, atMostMs = 4000;
    const char* library = BELLTIDE_SYNCE_LIBRARY;
    int strayAt = -1; // the device call before which another thread makes one
};
void PrintTo(const LibraryBehaviour& row, std::ostream* out) {
    *out << row.name;
}

class LibraryBehaviours : public ::testing::TestWithParam<LibraryBehaviour>, public Handheld {
protected:
    // The calls our library refused so far, held loaded for the test to count them all.
    unsigned refusedCalls() const {
        return reinterpret_cast<std::uint32_t (*)()>(
            dlsym(synce.get(), "BelltideRapiRefusedCalls"))();
    }
    const std::shared_ptr<void> synce{dlopen(BELLTIDE_SYNCE_LIBRARY, RTLD_NOW | RTLD_LOCAL),
                                      [](void* handle) { handle&& dlclose(handle); }};
};

TEST_P(LibraryBehaviours, EndTheTransferWithTheirMessage) {
    const LibraryBehaviour& row = GetParam();
    ASSERT_TRUE(synce) << dlerror();
    const auto [variable, value] = row.environment;
    const std::shared_ptr<void> restore(nullptr, [&](void*) {
        for (const char* name : {variable, "BELLTIDE_DEVICE", "BELLTIDE_RAPI_LIBRARY"})
            name&& unsetenv(name);
    });
    // Chosen as at the program's start; an upload first downloads the theme it sends, through
    // the library as it usually is.
    backend.make = [&, armed = row.operation != Operation::Upload](const fs::path& at) mutable {
        if (variable)
            setEnvironment(variable, armed ? value : "");
        const bool absent = armed && row.handheld != HandheldIs::There;
        setEnvironment("BELLTIDE_RAPI_DEVICE", pcText(absent ? at / "absent" : at));
        setEnvironment("BELLTIDE_RAPI_LIBRARY",
                       std::exchange(armed, true) ? row.library : BELLTIDE_SYNCE_LIBRARY);
        return chooseHandheld(folder.path()).factory();
    };
    if (row.operation != Operation::Upload)
        loadSampleTheme();
    strayAt = row.strayAt;
    progressWindows.goneWhileWaiting = row.handheld == HandheldIs::AbsentAndDialogGone;
    // Its registry and waves, but for what a lost connection kept an upload from removing, which
    // the next connect removes.
    const auto handheldNow = [&] {
        auto files = deviceFiles();
        std::erase_if(files, [](const auto& file) { return file.first.starts_with("belltide-"); });
        files["registry"] = readBytes(deviceFolder / "registry.reg");
        return files;
    };
    const auto handheldBefore = handheldNow();
    const unsigned refusedBefore = refusedCalls();
    const auto start = std::chrono::steady_clock::now();
    run(row.operation, -1, row.handheld == HandheldIs::AbsentAndCancelled ? 0 : -1);
    const auto took = std::chrono::steady_clock::now() - start;

    EXPECT_EQ(lastRun().messages,
              row.message.empty() ? std::vector<std::string>{} : std::vector{row.message});
    const char* doneText =
        row.operation == Operation::Upload ? "Sounds exported" : "Sounds imported";
    EXPECT_EQ(row.operation == Operation::Backup ? fs::exists(backupFile())
                                                 : statusBar.text == doneText,
              row.done);
    if (!row.done) {
        EXPECT_EQ(handheldNow(), handheldBefore);
        EXPECT_TRUE(row.operation == Operation::Upload || rows() == SampleRows);
    }
    EXPECT_EQ(refusedCalls() > refusedBefore, row.strayAt >= 0);
    EXPECT_GE(took, std::chrono::milliseconds(row.atLeastMs));
    EXPECT_LE(took, std::chrono::milliseconds(row.atMostMs));
}

const std::string NoConnection =
    "Couldn't establish a connection to the device. Check Activesync connection\n";
const std::string Lost = Rapi::ConnectionLost::Text,
                  NoHandheld = NoConnection + SynceDevice::NoHandheldHint,
                  Locked = "The Pocket PC is locked. Unlock it and try again.",
                  Missing = NoConnection +
                            "The library " BELLTIDE_SYNCE_LIBRARY_WITHOUT_INVOKE
                            " lacks the function CeRapiInvoke, which Belltide needs.";
const char* const OurSynce = BELLTIDE_SYNCE_LIBRARY;
const char* const WithoutInvoke = BELLTIDE_SYNCE_LIBRARY_WITHOUT_INVOKE;
using enum HandheldIs;
// A connection is awaited by asking CeRapiInit again while the usual time lasts.
const LibraryBehaviour LibraryBehaviourRows[] = {
    {"ConnectionWait", Download, "", true, {"BELLTIDE_RAPI_REFUSED_INITS", "3"}, There, 700},
    {"NamedVirtualHandheldFirst", Download, "", true, {"BELLTIDE_DEVICE", "device"}, Absent},
    {"ThreadRule", Download, Lost, false, {}, There, 0, 4000, OurSynce, 1},
    {"NoHandheld", Backup, NoHandheld, false, {}, Absent, 5000, 8000},
    {"CancelWhileWaiting", Download, "", false, {}, AbsentAndCancelled, 0, 1500},
    {"DialogGoneWhileWaiting", Download, "", false, {}, AbsentAndDialogGone, 0, 1500},
    {"Locked", Download, Locked, false, {"BELLTIDE_RAPI_LOCKED", "1"}, There, 0, 1000},
    {"MissingFunction", Upload, Missing, false, {}, There, 0, 4000, WithoutInvoke},
    {"LostDuringDownload", Download, Lost, false, {"BELLTIDE_RAPI_LOSE_AT", "CeReadFile:3"}},
    {"LostDuringUpload", Upload, Lost, false, {"BELLTIDE_RAPI_LOSE_AT", "CeWriteFile:1"}},
};
INSTANTIATE_TEST_SUITE_P(Synce, LibraryBehaviours, ::testing::ValuesIn(LibraryBehaviourRows),
                         [](const auto& param) { return std::string(param.param.name); });
#endif
