// A main window logic on in-memory controls, its program placed in a fresh folder.
#pragma once

#include "catalog/MessageError.h"
#include "files/PcPath.h"
#include "support/ArchiveBytes.h"
#include "support/DeviceBackends.h"
#include "support/FailingDevice.h"
#include "support/FakeControls.h"
#include "support/FakeProgressWindows.h"
#include "support/TempFolder.h"
#include "ui/CBelltideDlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

// Opens the members that only the window's own commands change, so tests can set them up.
class TestableBelltideDlg : public CBelltideDlg {
public:
    using CBelltideDlg::CBelltideDlg;
    using CBelltideDlg::m_modified;
};

// Everything a main window logic needs, in memory; the window's program lies in a fresh folder.
struct MainWindowHarness : DeviceFaults {
    MainWindowHarness() {
        dlg = std::make_unique<TestableBelltideDlg>(pcText(folder.path() / "belltide"), controls());
    }

    // By name, as the frame wires them: two controls swapped by position would still compile.
    MainWindowControls controls() {
        return {.eventList = listView,
                .themeCombo = themeCombo,
                .statusBar = statusBar,
                .title = title,
                .saveThemeButton = saveThemeButton,
                .noSoundButton = noSoundButton,
                .playButton = playButton,
                .uploadButton = uploadButton,
                .changeButton = changeButton,
                .extendedCheck = extendedCheck,
                .prompts = prompts,
                .settings = settings,
                .sound = sound,
                .progressWindows = progressWindows,
                .deviceFactory = [this] {
                    return std::make_unique<FailingDevice>(makeDevice(deviceFolder), *this);
                }};
    }

    TempFolder folder;
    // A theme in which Asterisk and _Notify play the wave chime.wav (2046 bytes), Question the
    // wave alarm1.wav (2048 bytes, a name the factory handheld's waves have too) and Start Up a
    // wave the archive does not hold.
    static std::string writeSampleTheme(const std::string& path) {
        writeBytes(path, memberBytes("theme.dsc", "4\r\nAsterisk\r\nchime\r\n.wav\r\nQuestion\r\n"
                                                  "alarm1\r\n.wav\r\nStart Up\r\nlost\r\n.wav\r\n"
                                                  "_Notify\r\nchime\r\n.wav\r\n") +
                             memberBytes("chime.wav", waveBytes(std::string(2002, 'c'))) +
                             memberBytes("alarm1.wav", waveBytes(std::string(2004, 'g'))));
        return path;
    }
    // Loads the sample theme from the library, as sample.kbt.
    void loadSampleTheme() {
        dlg->loadTheme(writeSampleTheme(dlg->folders().themesDir + "sample.kbt"));
    }
    inline static const std::vector<CEventListCtrl::Row> SampleRows{
        {"Asterisk", "chime.wav", "2 KB", "0:00.3"},
        {"Question", "alarm1.wav", "3 KB", "0:00.3"},
        {"Start Up", "(none)", "", ""},
        {"_Notify", "chime.wav", "2 KB", "0:00.3"}};

    // The rows the window's list shows.
    const std::vector<CEventListCtrl::Row>& rows() const { return dlg->eventList().rows(); }
    std::string themesDir() const { return dlg->folders().themesDir; }
    std::string soundsDir() const { return dlg->folders().soundsDir; }
    // The theme the list names.
    std::string shownTheme() const {
        return themeCombo.selected < 0 ? "" : themeCombo.itemText(themeCombo.selected);
    }
    // As the user does: a row clicked, a file of these bytes dropped on a row, a theme picked from
    // the dropped-down list, saved or opened through the file dialog.
    void select(int row) { dlg->eventList().setSelectionMark(row), dlg->OnListClick(); }
    void drop(int row, const std::string& name, const std::string& bytes) {
        const std::string path = pcText(folder.writeFile(name, 0));
        writeBytes(path, bytes);
        dlg->OnDropSoundFile(row, path);
    }
    void pick(const std::string& name) {
        dlg->OnThemeDropDown();
        const auto at = std::find(themeCombo.items.begin(), themeCombo.items.end(), name);
        themeCombo.selected = static_cast<int>(at - themeCombo.items.begin());
        dlg->OnThemeSelChange();
    }
    void save(const std::string& path) { prompts.files = {path}, dlg->OnSaveTheme(); }
    void open(const std::string& path) { prompts.files = {path}, dlg->OnOpenTheme(); }

    FakeListView listView;
    FakeComboBox themeCombo;
    FakeStatusLine statusBar;
    FakeWindowTitle title;
    MemorySettings settings;
    FakeButton saveThemeButton, noSoundButton, playButton, uploadButton, changeButton;
    FakeCheckBox extendedCheck;
    ScriptedPrompts prompts;
    RecordingSoundPlayer sound;
    FakeProgressWindows progressWindows;
    // Each worker gets a device on this folder that fails as the harness's DeviceFaults say.
    std::filesystem::path deviceFolder = folder.path() / "no-device";
    // How each worker's device is made: the virtual handheld on the folder, unless a test says
    // otherwise.
    std::function<std::unique_ptr<RemoteDevice>(const std::filesystem::path& folder)> makeDevice =
        [](const auto& at) { return std::make_unique<VirtualHandheld>(at); };
    std::unique_ptr<TestableBelltideDlg> dlg;
};

class MainWindowFixture : public ::testing::Test, public MainWindowHarness {};

// The window started as it welcomes the user, with only what works without a theme enabled and
// the welcome played once the window is on screen; then the sample theme opened from the library,
// which holds it as pick.kbt too, while a copy of it lies outside the library.
class SampleThemeFixture : public MainWindowFixture {
public:
    void SetUp() override {
        EXPECT_EQ(themesDir(), folder.dir() + "themes" + PathSeparator);
        EXPECT_EQ(soundsDir(), themesDir() + "sounds" + PathSeparator);
        dlg->OnInitDialog();
        EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), folder.path()) &&
                    std::filesystem::is_directory(testPath(soundsDir())));
        EXPECT_EQ(statusBar.text + "|" + title.text, "Welcome to Belltide|Belltide");
        EXPECT_FALSE(playButton.enabled || changeButton.enabled || noSoundButton.enabled ||
                     saveThemeButton.enabled || uploadButton.enabled || extendedCheck.enabled);
        EXPECT_TRUE(extendedCheck.checked && sound.played.empty());
        progressWindows.runPending();
        EXPECT_EQ(sound.played, std::vector<std::string>{"Belltide.wav"});
        writeSampleTheme(away);
        writeSampleTheme(themesDir() + "pick.kbt");
        loadSampleTheme();
        sound.played.clear();
    }
    const std::string away = pcText(folder.path() / pcPath("Mélodie.KBT"));
};
