#include "CBelltideDlg.h"

#include "files/PcPath.h"
#include "ui/ControlIds.h"

#include <filesystem>
#include <system_error>

namespace {

constexpr const char* WelcomeText = "Welcome to Belltide";
constexpr const char* WelcomeSound = "Belltide.wav";
constexpr const char* ExitQuestion = "Are you absolutely sure you want to exit Belltide?";
constexpr const char* ProgramTitle = "Belltide";
constexpr const char* TitleDash = " \xE2\x80\x94 "; // an em dash in UTF-8
constexpr const char* UntitledName = "Untitled";

void createFolder(const std::string& folder) {
    std::error_code ignored;
    std::filesystem::create_directory(pcPath(folder), ignored);
}

} // namespace

CBelltideDlg::CBelltideDlg(const std::string& programPath, const MainWindowControls& controls)
    : CBelltideDlg(ProgramFolders{pcPath(folderOf(programPath)), pcPath(folderOf(programPath))},
                   controls) {}

CBelltideDlg::CBelltideDlg(const ProgramFolders& folders, const MainWindowControls& controls)
    : m_themeCombo(controls.themeCombo), m_saveThemeButton(controls.saveThemeButton),
      m_noSoundButton(controls.noSoundButton), m_playButton(controls.playButton),
      m_uploadButton(controls.uploadButton), m_changeButton(controls.changeButton),
      m_extendedCheck(controls.extendedCheck), m_eventList(controls.eventList),
      m_statusBar(controls.statusBar), m_title(controls.title), m_prompts(controls.prompts),
      m_settings(controls.settings), m_sound(controls.sound),
      m_progressWindows(controls.progressWindows), m_deviceFactory(controls.deviceFactory) {
    std::error_code ignored;
    std::filesystem::current_path(folders.assetsDir, ignored);
    m_folders = ThemeFolders::besideProgram(pcText(folders.dataDir));
}

void CBelltideDlg::OnInitDialog() {
    showTitle();
    m_statusBar.setText(WelcomeText);
    createFolder(m_folders.themesDir);
    createFolder(m_folders.soundsDir);
    // Widths by what each column holds in any theme, so that they stay as themes come and go:
    // every event's name, a size and a length; the sounds' names take the rest.
    const SoundTheme every = DeviceLink::makeBlankTheme();
    std::vector<std::string> eventNames;
    for (const auto& item : every)
        eventNames.push_back(item.first);
    m_eventList.insertColumn(0, {"Events", ColumnAlign::Left, eventNames});
    m_eventList.insertColumn(1, {"Sounds", ColumnAlign::Left, {"beginsync.wav"}, true});
    m_eventList.insertColumn(2, {"Size", ColumnAlign::Right, {"9999 KB"}});
    m_eventList.insertColumn(3, {"Length", ColumnAlign::Right, {"0:00.0"}});
    // Runs from the event loop, once the window is on screen.
    m_progressWindows.callAfter([this] { InitialBackupCheck(); });
    applyEnabling(ThemeShown::No);
    m_extendedCheck.setChecked(true);
    fillThemeList();
    loadStartupTheme();
    // Once the window is on screen: the sound output's start is no part of the window's.
    m_progressWindows.callAfter([this] { m_sound.playFile(WelcomeSound); });
}

bool CBelltideDlg::OnClose() {
    return promptSaveChanges() && m_prompts.askYesNo(ExitQuestion);
}

void CBelltideDlg::rebuildEventRows() {
    // A new theme is in the editor: no library file names it until it is selected or saved.
    m_themeFileName.clear();
    m_themeName = UntitledName;
    m_eventList.deleteAllRows();
    int row = 0;
    for (auto& [eventName, entry] : m_theme) {
        entry.folder = m_folders.soundsDir;
        const auto size = measureSizeKB(entry.path());
        if (!size) {
            entry.name = NoSoundName;
            entry.extension.clear();
        } else if (entry.hasSound() && !entry.extension.empty()) {
            entry.sizeKB = *size;
        }
        m_eventList.insertRow(row, eventName);
        showSound(row, entry);
        ++row;
    }
    fitNameColumns();
}

void CBelltideDlg::fitNameColumns() {
    m_eventList.fitColumns();
}

void CBelltideDlg::showSound(int row, const SoundEntry& entry) {
    m_eventList.setCellText(row, 1, entry.name + entry.extension);
    m_eventList.setCellText(row, 2, entry.sizeText());
    m_eventList.setCellText(row, 3, lengthText(entry));
}

void CBelltideDlg::applyEnabling(ThemeShown shown) {
    const bool themeShown = shown == ThemeShown::Yes;
    m_playButton.enable(false);
    m_changeButton.enable(false);
    m_noSoundButton.enable(false);
    m_saveThemeButton.enable(themeShown);
    m_uploadButton.enable(themeShown);
    m_extendedCheck.enable(themeShown && m_theme.hasExtendedEvents());
}

void CBelltideDlg::setModified(bool modified) {
    m_modified = modified;
    showTitle();
}

void CBelltideDlg::showTitle() {
    if (m_themeName.empty())
        m_title.setTitle(ProgramTitle);
    else
        m_title.setTitle(std::string(ProgramTitle) + TitleDash + (m_modified ? "*" : "") +
                         m_themeName);
}

bool CBelltideDlg::OnCommand(int command) {
    switch (command) {
    case CommandId::NewTheme:
        OnNewTheme();
        return true;
    case CommandId::OpenTheme:
        OnOpenTheme();
        return true;
    case CommandId::SaveTheme:
        OnSaveTheme();
        return true;
    case CommandId::PopupPlay:
        OnPlaySound();
        return true;
    case CommandId::PopupChange:
        OnChangeSound();
        return true;
    case CommandId::PopupNoSound:
        OnNoSound();
        return true;
    default:
        return false;
    }
}

void CBelltideDlg::enableSoundCommands() {
    m_playButton.enable(true);
    m_changeButton.enable(true);
    m_noSoundButton.enable(true);
}
