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
constexpr int EventsColumnWidth = 130;
constexpr int SoundsColumnWidth = 130;
constexpr int SizeColumnWidth = 80;
constexpr int LengthColumnWidth = 80;

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
    m_eventList.insertColumn(0, "Events", ColumnAlign::Left, EventsColumnWidth);
    m_eventList.insertColumn(1, "Sounds", ColumnAlign::Left, SoundsColumnWidth);
    m_eventList.insertColumn(2, "Size", ColumnAlign::Right, SizeColumnWidth);
    m_eventList.insertColumn(3, "Length", ColumnAlign::Right, LengthColumnWidth);
    // Runs from the event loop, once the window is on screen.
    m_progressWindows.callAfter([this] { InitialBackupCheck(); });
    applyEnabling(ThemeShown::No);
    m_extendedCheck.setChecked(true);
    fillThemeList();
    loadStartupTheme();
    m_sound.playFile(WelcomeSound);
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
    // Notification names and many file names are wider than the template's columns.
    m_eventList.fitColumn(0, EventsColumnWidth);
    m_eventList.fitColumn(1, SoundsColumnWidth);
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
