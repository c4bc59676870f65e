// Download, Upload and the initial backup through the main window, with workers on their own
// threads, against a factory-fresh virtual handheld.
#include "device/RegistryFile.h"
#include "device/Utf16.h"
#include "support/FactoryImage.h"
#include "support/MainWindowFixture.h"
#include "themes/ThemeArchive.h"
#include "transfer/CBackupDlg.h"

#include <algorithm>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

constexpr const char* ConnectionText =
    "Couldn't establish a connection to the device. Check Activesync connection";
constexpr int FactoryEntries = 25;
constexpr int FactoryFiles = 19;

// The factory image, made once and copied for each handheld.
const fs::path& factoryImage() {
    static TempFolder folder;
    static const fs::path image = [] {
        const fs::path device = folder.path() / "device";
        if (makeFactoryImage(device) != 0)
            throw std::runtime_error("the factory image could not be made");
        return device;
    }();
    return image;
}

enum class Operation { Download, Upload, Backup };

struct Handheld : MainWindowHarness {
    Handheld() {
        fs::create_directories(dlg->folders().soundsDir);
        deviceFolder = folder.path() / "device";
        fs::copy(factoryImage(), deviceFolder, fs::copy_options::recursive);
    }

    std::string themeFile(const std::string& name) const { return dlg->folders().themesDir + name; }
    fs::path deviceFile(const std::string& name) const { return deviceFolder / "Windows" / name; }
    std::string registryValue(const std::string& key, const std::string& name) const {
        const auto registry = RegistryFile::fromBytes(readBytes(deviceFolder / "registry.reg"));
        const auto* value = registry.find(key, name);
        return value ? std::string(value->data.begin(), value->data.end()) : std::string{};
    }

    void run(Operation operation) {
        switch (operation) {
        case Operation::Download:
            dlg->OnDownloadTheme();
            break;
        case Operation::Upload:
            dlg->OnUploadTheme();
            break;
        case Operation::Backup:
            dlg->InitialBackupCheck();
            break;
        }
    }
    // A theme to upload: the device's own, downloaded beforehand.
    void prepare(Operation operation) {
        if (operation != Operation::Upload)
            return;
        extendedCheck.checked = true;
        dlg->OnDownloadTheme();
        progressWindows.runs.clear();
        deviceCalls = 0;
    }
    const FakeProgressWindows::Run& lastRun() const { return progressWindows.runs.back(); }
};

std::vector<std::string> rowTexts(const TestableBelltideDlg& dlg, int column) {
    std::vector<std::string> texts;
    for (const auto& row : dlg.eventList().rows())
        texts.push_back(row[static_cast<std::size_t>(column)]);
    return texts;
}

} // namespace

// Every call the device can fail, failed in turn, alone: the operation ends as its outcome says,
// each failure is shown at most once, the bar is full unless the operation ended early, and the
// editor holds either its old theme or the whole new one.
class FailureSweep : public ::testing::TestWithParam<Operation> {};

TEST_P(FailureSweep, EveryFailingCallEndsTheOperationCleanly) {
    const Operation operation = GetParam();
    int calls = 0;
    {
        Handheld clean;
        clean.prepare(operation);
        clean.run(operation);
        calls = clean.deviceCalls;
        ASSERT_TRUE(clean.lastRun().messages.empty());
        ASSERT_EQ(clean.lastRun().upper, FactoryFiles + 1);
        ASSERT_EQ(clean.lastRun().position, FactoryFiles + 1);
    }
    ASSERT_GT(calls, 60);
    for (int failAt = 0; failAt < calls; ++failAt) {
        SCOPED_TRACE("failing call " + std::to_string(failAt));
        Handheld handheld;
        handheld.prepare(operation);
        const auto themeBefore = rowTexts(*handheld.dlg, 1);
        handheld.failAt = failAt;
        handheld.run(operation);

        ASSERT_EQ(handheld.progressWindows.runs.size(), 1u);
        const auto& run = handheld.lastRun();
        // The connection, the event scheme's key and value (the first calls) and every file
        // copy say what failed; closing and the notification keys fail silently.
        const std::set<std::string> fileCalls{"CeCreateFile", "CeGetFileSize", "CeReadFile",
                                              "CeWriteFile"};
        const bool said = failAt <= 2 || fileCalls.count(handheld.failedCall) > 0;
        EXPECT_EQ(run.messages.size(), said ? 1u : 0u) << handheld.failedCall;
        EXPECT_EQ(run.waitDepth, 0);
        EXPECT_EQ(handheld.prompts.waitDepth, 0);
        const bool refused = failAt == 0;
        if (refused) {
            EXPECT_EQ(run.messages, std::vector<std::string>{ConnectionText});
            EXPECT_EQ(run.upper, -1);
            EXPECT_EQ(rowTexts(*handheld.dlg, 1), themeBefore);
        } else {
            EXPECT_EQ(run.position, run.upper);
        }
        switch (operation) {
        case Operation::Download:
            EXPECT_EQ(handheld.statusBar.text, refused ? "Sounds not imported" : "Sounds imported");
            EXPECT_EQ(handheld.dlg->theme().size(), refused ? 0 : FactoryEntries);
            break;
        case Operation::Upload:
            EXPECT_EQ(handheld.statusBar.text, refused ? "Sounds not exported" : "Sounds exported");
            break;
        case Operation::Backup:
            EXPECT_EQ(fs::exists(handheld.themeFile(InitialBackupFileName)), !refused);
            EXPECT_EQ(handheld.dlg->theme().size(), refused ? 0 : FactoryEntries);
            break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Transfers, FailureSweep,
                         ::testing::Values(Operation::Download, Operation::Upload,
                                           Operation::Backup));

class TransferToHandheld : public ::testing::Test, public Handheld {
protected:
    // Every file of the device's Windows folder with its bytes.
    std::map<std::string, std::string> deviceFiles() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(deviceFolder / "Windows"))
            files[entry.path().filename().string()] = readBytes(entry.path());
        return files;
    }
    int reloads() const {
        const std::string log = readBytes(deviceFolder / "audio-reloads.log");
        return static_cast<int>(std::count(log.begin(), log.end(), '\n'));
    }
};

// Through every device backend: on Windows also the handheld behind rapi.dll.
class TransferThroughEachBackend : public TransferToHandheld,
                                   public ::testing::WithParamInterface<DeviceBackend> {
protected:
    TransferThroughEachBackend() { backend = GetParam(); }
};

TEST_P(TransferThroughEachBackend,
       DownloadThenUploadLeavesTheDeviceAsItWasAndReloadsItsSoundsLast) {
    const std::string registryBefore = readBytes(deviceFolder / "registry.reg");
    const auto filesBefore = deviceFiles();
    loadSampleTheme();
    themeCombo.selected = 0;
    extendedCheck.checked = true;

    dlg->OnDownloadTheme();
    EXPECT_EQ(statusBar.text, "Sounds imported");
    EXPECT_EQ(progressWindows.runs.at(0).dialog.title, "Importing Sounds");
    EXPECT_EQ(themeCombo.selected, -1);
    EXPECT_TRUE(uploadButton.enabled && saveThemeButton.enabled && extendedCheck.enabled);
    EXPECT_FALSE(playButton.enabled || changeButton.enabled || noSoundButton.enabled);
    ASSERT_EQ(rows().size(), static_cast<std::size_t>(FactoryEntries));
    for (const auto& [eventName, entry] : dlg->theme()) {
        EXPECT_EQ(entry.folder, dlg->folders().soundsDir) << eventName;
        if (entry.hasSound()) {
            EXPECT_EQ(readBytes(entry.path()), filesBefore.at(entry.name + entry.extension));
        }
    }

    dlg->OnUploadTheme();
    EXPECT_EQ(statusBar.text, "Sounds exported");
    EXPECT_EQ(progressWindows.runs.at(1).dialog.title, "Exporting Sounds");
    EXPECT_TRUE(progressWindows.runs.at(1).messages.empty());
    EXPECT_EQ(readBytes(deviceFolder / "registry.reg"), registryBefore);
    EXPECT_EQ(deviceFiles(), filesBefore);
    EXPECT_EQ(reloads(), 1);
    for (const auto& [name, bytes] : filesBefore)
        EXPECT_GE(fs::last_write_time(deviceFolder / "audio-reloads.log"),
                  fs::last_write_time(deviceFile(name)))
            << name;
}

INSTANTIATE_TEST_SUITE_P(Backends, TransferThroughEachBackend,
                         ::testing::ValuesIn(deviceBackends()),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(TransferToHandheld, UploadPutsAChangedSoundOnTheDeviceAndLeavesNotificationsAlone) {
    extendedCheck.checked = true;
    dlg->OnDownloadTheme();
    const std::string notifyKey = "HKEY_CURRENT_USER\\ControlPanel\\Notifications\\"
                                  "{0D3132C4-1298-469c-B2B8-F28CE2D649D0}";
    const std::string waveBefore = registryValue(notifyKey, "Wave");
    const std::string newSound = folder.writeFile("Harbour Bell.wav", 3000, 'h').string();
    dlg->eventList().setSelectionMark(0); // "Asterisk"
    dlg->OnListClick();
    prompts.files.push_back(newSound);
    dlg->OnChangeSound();
    for (auto& [eventName, entry] : dlg->theme())
        if (isExtendedEventName(eventName))
            fs::remove(deviceFile(entry.name + entry.extension));

    extendedCheck.checked = false;
    dlg->OnUploadTheme();
    EXPECT_EQ(statusBar.text, "Sounds exported");
    EXPECT_FALSE(dlg->theme().uploadExtended());
    EXPECT_EQ(readBytes(deviceFile("Harbour Bell.wav")), std::string(3000, 'h'));
    const std::string scheme = registryValue("HKEY_LOCAL_MACHINE\\Snd\\Event", "Curr0");
    const auto name = utf16Bytes("Harbour Bell");
    EXPECT_EQ(scheme.substr(0, name.size()), std::string(name.begin(), name.end()));
    EXPECT_EQ(registryValue(notifyKey, "Wave"), waveBefore);
    std::set<std::string> eventFiles;
    for (const auto& [eventName, entry] : dlg->theme())
        if (!isExtendedEventName(eventName))
            eventFiles.insert(entry.name + entry.extension);
    for (const auto& [eventName, entry] : dlg->theme())
        if (isExtendedEventName(eventName) && entry.hasSound()) {
            EXPECT_EQ(fs::exists(deviceFile(entry.name + entry.extension)),
                      eventFiles.count(entry.name + entry.extension) > 0)
                << eventName;
        }
}

TEST_F(TransferToHandheld, FirstStartBacksUpTheDeviceAndLaterStartsLeaveItAlone) {
    const auto filesBefore = deviceFiles();
    dlg->OnInitDialog();
    EXPECT_TRUE(progressWindows.runs.empty()) << "the backup waits for the window";
    progressWindows.runPending();

    ASSERT_EQ(progressWindows.runs.size(), 1u);
    EXPECT_EQ(lastRun().dialog.title, "Current Sounds Backup");
    EXPECT_EQ(lastRun().dialog.align, TextAlign::Left);
    const auto members = ThemeArchive(themeFile(InitialBackupFileName)).members();
    ASSERT_EQ(members.size(), static_cast<std::size_t>(FactoryFiles + 1));
    EXPECT_EQ(members.front().name, "theme.dsc");
    const std::string archive = readBytes(themeFile(InitialBackupFileName));
    for (const auto& [name, bytes] : filesBefore)
        EXPECT_NE(archive.find(memberBytes(name, bytes)), std::string::npos) << name;
    ASSERT_EQ(rows().size(), static_cast<std::size_t>(FactoryEntries));
    const auto sizes = rowTexts(*dlg, 2);
    int row = 0;
    for (const auto& [eventName, entry] : dlg->theme()) {
        const auto file = filesBefore.find(entry.name + entry.extension);
        EXPECT_EQ(sizes[static_cast<std::size_t>(row++)],
                  file == filesBefore.end()
                      ? ""
                      : std::to_string(sizeKBForLength(file->second.size())) + " KB")
            << eventName;
    }
    EXPECT_EQ(themeCombo.itemText(themeCombo.selected), InitialBackupFileName);

    deviceCalls = 0;
    dlg = std::make_unique<TestableBelltideDlg>((folder.path() / "belltide").string(), controls());
    dlg->OnInitDialog();
    progressWindows.runPending();
    EXPECT_EQ(progressWindows.runs.size(), 1u);
    EXPECT_EQ(deviceCalls, 0);
}

TEST_F(TransferToHandheld, ABackupThatCannotBeSavedIsShownAndLeavesNoFile) {
    fs::create_directory(dlg->folders().soundsDir + "theme.dsc");
    dlg->InitialBackupCheck();
    const std::string path = themeFile(InitialBackupFileName);
    EXPECT_EQ(lastRun().messages,
              std::vector<std::string>{"Could not save theme \"" + path + "\"."});
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(std::distance(fs::directory_iterator(dlg->folders().themesDir), {}), 1)
        << "only the sounds folder";
    EXPECT_EQ(dlg->theme().size(), 0);
}

TEST_F(TransferToHandheld, AWaveMissingOnTheDeviceIsShownOnceAndTheRestIsCopied) {
    const auto filesBefore = deviceFiles();
    fs::remove(deviceFile("alarm1.wav"));
    dlg->OnDownloadTheme();
    EXPECT_EQ(lastRun().messages,
              std::vector<std::string>{"Could not open file on PPC \"\\Windows\\alarm1.wav\"."});
    EXPECT_EQ(statusBar.text, "Sounds imported");
    EXPECT_EQ(lastRun().position, FactoryFiles + 1);
    EXPECT_EQ(dlg->theme().find("Asterisk")->second.name, "(none)");
    for (const auto& [name, bytes] : filesBefore)
        EXPECT_EQ(fs::exists(dlg->folders().soundsDir + name), name != "alarm1.wav") << name;
}

TEST_F(TransferToHandheld, ASilentThemeWritesTheRegistryCopiesNothingAndReloads) {
    dlg->OnNewTheme();
    dlg->OnUploadTheme();
    EXPECT_EQ(statusBar.text, "Sounds exported");
    EXPECT_EQ(lastRun().upper, 1);
    EXPECT_EQ(lastRun().position, 1);
    EXPECT_EQ(registryValue("HKEY_LOCAL_MACHINE\\Snd\\Event", "Curr0").substr(0, 4),
              std::string("\x20\0\0\0", 4));
    EXPECT_EQ(reloads(), 1);
}
