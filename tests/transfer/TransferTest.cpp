// Download, Upload and the initial backup through the main window, with workers on their own
// threads, against a factory-fresh virtual handheld.
#include "support/FactoryImage.h"
#include "support/MainWindowFixture.h"
#include "transfer/CBackupDlg.h"

namespace fs = std::filesystem;

namespace {

constexpr int FactoryEntries = 25, FactoryFiles = 19;

enum class Operation { Download, Upload, Backup };

struct Handheld : MainWindowHarness {
    Handheld() {
        // The factory image, made once and copied for each handheld.
        static const TempFolder images;
        [[maybe_unused]] static const int made = makeFactoryImage(images.path() / "device");
        deviceFolder = folder.path() / "device";
        fs::copy(images.path() / "device", deviceFolder, fs::copy_options::recursive);
        fs::create_directories(dlg->folders().soundsDir);
    }

    // Runs the operation with device call number failing made to fail. An upload sends the
    // device's own theme, downloaded beforehand; a changed one has every wave's bytes changed
    // and two events given waves of new names.
    void run(Operation operation, int failing = -1) {
        if (operation == Operation::Upload) {
            extendedCheck.checked = true;
            dlg->OnDownloadTheme();
            for (const auto& file : dlg->theme().soundFiles())
                if (changed)
                    writeBytes(file.path(), "new " + file.name);
            if (changed) {
                dropWave("Asterisk", "fresh one", "new fresh one");
                dropWave("_Reminders", "fresh two", "new fresh two");
            }
            progressWindows.runs.clear();
            deviceCalls = 0;
        }
        failAt = failing;
        switch (operation) {
        case Operation::Download:
            return dlg->OnDownloadTheme();
        case Operation::Upload:
            return dlg->OnUploadTheme();
        case Operation::Backup:
            return dlg->InitialBackupCheck();
        }
    }
    // Gives the event a wave of that name and those bytes, as a drop on its row does.
    void dropWave(const std::string& eventName, const std::string& name, const std::string& bytes) {
        const fs::path wave = folder.path() / "picked" / (name + ".wav");
        fs::create_directories(wave.parent_path());
        writeBytes(wave, bytes);
        const auto& theme = dlg->theme();
        const auto row = std::distance(theme.begin(), theme.find(eventName));
        dlg->OnDropSoundFile(static_cast<int>(row), wave.string());
    }
    bool changed = false;
    const FakeProgressWindows::Run& lastRun() const { return progressWindows.runs.back(); }
    std::string backupFile() const { return dlg->folders().themesDir + InitialBackupFileName; }
    // Every file of the device's Windows folder with its bytes.
    std::map<std::string, std::string> deviceFiles() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(deviceFolder / "Windows"))
            files[entry.path().filename().string()] = readBytes(entry.path());
        return files;
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
// editor holds either its old theme or the whole new one. An upload never leaves the registry
// naming a wave that is not whole, and its status line tells how many sounds did not arrive.
class FailureSweep : public ::testing::TestWithParam<Operation> {};

TEST_P(FailureSweep, EveryFailingCallEndsTheOperationCleanly) {
    const Operation operation = GetParam();
    const auto originalFiles = Handheld().deviceFiles();
    Handheld clean;
    clean.changed = true;
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
        handheld.changed = true;
        const std::string registryBefore = readBytes(handheld.deviceFolder / "registry.reg");
        handheld.run(operation, failAt);
        const auto& run = handheld.lastRun();
        SCOPED_TRACE(handheld.failedCall);
        EXPECT_LE(run.messages.size(), 1u);
        if (failAt == 0) {
            EXPECT_EQ(run.messages.at(0).substr(0, 74),
                      "Couldn't establish a connection to the device. Check Activesync connection");
        }
        EXPECT_EQ(run.waitDepth + handheld.prompts.waitDepth, 0);
        const bool refused = failAt == 0;
        EXPECT_EQ(run.position, refused ? 0 : run.upper);
        EXPECT_EQ(handheld.dlg->theme().size(),
                  refused && operation != Operation::Upload ? 0 : FactoryEntries);
        if (operation != Operation::Upload) {
            const bool done = operation == Operation::Backup
                                  ? fs::exists(handheld.backupFile())
                                  : handheld.statusBar.text == "Sounds imported";
            EXPECT_EQ(done, !refused) << handheld.statusBar.text;
            continue;
        }
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
                EXPECT_TRUE(bytes == "new " + named.name ||
                            bytes == originalFiles.at(named.name + ".wav"))
                    << eventName << " names a broken " << named.name;
            }
            differing +=
                named.name != entry.name ||
                (entry.hasSound() && files.at(named.name + ".wav") != readBytes(entry.path()));
        }
        const std::string status = handheld.statusBar.text;
        if (status == "Sounds not exported") {
            EXPECT_EQ(readBytes(handheld.deviceFolder / "registry.reg"), registryBefore);
            for (const auto& [name, bytes] : originalFiles)
                EXPECT_EQ(files.at(name), bytes) << name;
        } else if (differing == 0) {
            EXPECT_EQ(status, "Sounds exported");
        } else {
            EXPECT_EQ(status, std::to_string(differing) + (differing == 1 ? " sound" : " sounds") +
                                  " could not be exported");
        }
    }
}

using enum Operation;
INSTANTIATE_TEST_SUITE_P(Transfers, FailureSweep, ::testing::Values(Download, Upload, Backup));

// Parameterised by the device backend where it matters: on Windows also rapi.dll.
class Transfer : public ::testing::TestWithParam<DeviceBackend>, public Handheld {};

TEST_P(Transfer, DownloadThenUploadLeavesTheDeviceAsItWasAndReloadsItsSounds) {
    backend = GetParam();
    const std::string registryBefore = readBytes(deviceFolder / "registry.reg");
    const auto filesBefore = deviceFiles();
    run(Operation::Upload);
    for (const auto& file : dlg->theme().soundFiles())
        EXPECT_EQ(readBytes(file.path()), filesBefore.at(file.name + file.extension));
    EXPECT_EQ(readBytes(deviceFolder / "registry.reg"), registryBefore);
    EXPECT_EQ(deviceFiles(), filesBefore);
    // One reload, after the last file.
    const fs::path reloads = deviceFolder / "audio-reloads.log";
    EXPECT_EQ(readBytes(reloads).find('\n'), readBytes(reloads).size() - 1);
    for (const auto& [name, bytes] : filesBefore)
        EXPECT_GE(fs::last_write_time(reloads),
                  fs::last_write_time(deviceFolder / "Windows" / name));
}

INSTANTIATE_TEST_SUITE_P(Backends, Transfer, ::testing::ValuesIn(deviceBackends()),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(Transfer, FirstStartBacksUpTheDeviceOnce) {
    const auto filesBefore = deviceFiles();
    dlg->OnInitDialog();
    EXPECT_TRUE(progressWindows.runs.empty()) << "the backup waits for the window";
    progressWindows.runPending();
    EXPECT_EQ(lastRun().dialog.title, "Current Sounds Backup");
    const std::string archive = readBytes(backupFile());
    for (const auto& [name, bytes] : filesBefore)
        EXPECT_NE(archive.find(memberBytes(name, bytes)), std::string::npos) << name;
    EXPECT_EQ(themeCombo.itemText(themeCombo.selected), InitialBackupFileName);
    dlg->InitialBackupCheck();
    EXPECT_EQ(progressWindows.runs.size(), 1u);
}
