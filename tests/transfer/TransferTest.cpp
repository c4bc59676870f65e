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

    // Runs the operation with device call number failing made to fail; an upload sends the
    // device's own theme, downloaded beforehand.
    void run(Operation operation, int failing = -1) {
        if (operation == Operation::Upload) {
            extendedCheck.checked = true;
            dlg->OnDownloadTheme();
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
    const FakeProgressWindows::Run& lastRun() const { return progressWindows.runs.back(); }
    std::string backupFile() const { return dlg->folders().themesDir + InitialBackupFileName; }
    // Every file of the device's Windows folder with its bytes.
    std::map<std::string, std::string> deviceFiles() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(deviceFolder / "Windows"))
            files[entry.path().filename().string()] = readBytes(entry.path());
        return files;
    }
};

} // namespace

// Every call the device can fail, failed in turn, alone: the operation ends as its outcome says,
// each failure is shown at most once, the bar is full unless the connection was refused, and the
// editor holds either its old theme or the whole new one.
class FailureSweep : public ::testing::TestWithParam<Operation> {};

TEST_P(FailureSweep, EveryFailingCallEndsTheOperationCleanly) {
    const Operation operation = GetParam();
    Handheld clean;
    clean.run(operation);
    ASSERT_TRUE(clean.lastRun().messages.empty());
    ASSERT_EQ(clean.lastRun().position, FactoryFiles + 1);
    ASSERT_GT(clean.deviceCalls, 60);
    for (int failAt = 0; failAt < clean.deviceCalls; ++failAt) {
        SCOPED_TRACE("failing call " + std::to_string(failAt));
        Handheld handheld;
        handheld.run(operation, failAt);
        const auto& run = handheld.lastRun();
        // The connection, the event scheme's key and value (the first calls), every step of a
        // file copy (CeCreateFile, CeGetFileSize, CeReadFile, CeWriteFile) and the reload say
        // what failed; closing and the notification keys fail silently.
        const bool said = failAt <= 2 || handheld.failedCall.find("File") != std::string::npos ||
                          handheld.failedCall == "CeRapiInvoke";
        EXPECT_EQ(run.messages.size(), said ? 1u : 0u) << handheld.failedCall;
        const std::string first[] = {
            "Couldn't establish a connection to the device. Check Activesync connection",
            "Could not find main register key", "Could not find register key"};
        if (failAt <= 2) {
            EXPECT_EQ(run.messages.at(0), first[failAt]);
        } else if (handheld.failedCall == "CeRapiInvoke") {
            EXPECT_EQ(run.messages.at(0), "file not found");
        }
        EXPECT_EQ(run.waitDepth + handheld.prompts.waitDepth, 0);
        const bool refused = failAt == 0;
        EXPECT_EQ(run.position, refused ? 0 : run.upper);
        const bool done = operation == Operation::Backup
                              ? fs::exists(handheld.backupFile())
                              : handheld.statusBar.text.find(" not ") == std::string::npos;
        EXPECT_EQ(done, !refused) << handheld.statusBar.text;
        EXPECT_EQ(handheld.dlg->theme().size(),
                  refused && operation != Operation::Upload ? 0 : FactoryEntries);
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
