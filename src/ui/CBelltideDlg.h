// The main window's behaviour: its theme, folders, enabling rules and commands (UI thread only).
#pragma once

#include "audio/SoundConverter.h"
#include "catalog/SoundTheme.h"
#include "device/DeviceLink.h"
#include "transfer/CProgressDlg.h"
#include "ui/CEventListCtrl.h"
#include "ui/Controls.h"
#include "ui/ProgramFolders.h"
#include "ui/SoundPlayer.h"
#include "ui/ThemeFolders.h"

class ThemeArchive;

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The controls and services the main window's logic works through. Build it with designated
// initialisers, so that each control is wired by name: two buttons swapped by position read wrong.
struct MainWindowControls {
    ListView& eventList;
    ComboBox& themeCombo;
    StatusLine& statusBar;
    WindowTitle& title;
    Button& saveThemeButton;
    Button& noSoundButton;
    Button& playButton;
    Button& uploadButton;
    Button& changeButton;
    CheckBox& extendedCheck;
    Prompts& prompts;
    Settings& settings;
    SoundPlayer& sound;
    ProgressWindows& progressWindows;
    RemoteDeviceFactory deviceFactory;
};

class CBelltideDlg {
public:
    // Makes the folder of programPath the current directory and derives the theme folders.
    CBelltideDlg(const std::string& programPath, const MainWindowControls& controls);
    // Makes the assets folder current and keeps the theme folders in the data folder.
    CBelltideDlg(const ProgramFolders& folders, const MainWindowControls& controls);
    virtual ~CBelltideDlg() = default;

    void setStartupTheme(const std::string& path) { m_startupTheme = path; }
    // A theme that a later start of the program was given: after the save question it is opened
    // as one named on the command line. One that comes while a transfer runs waits for its end.
    void OnOpenFromAnotherStart(const std::string& path);

    // Status line, folders, list columns, initial control states, the theme list, the theme
    // named on the command line, welcome sound.
    void OnInitDialog();
    // The close sequence; true when the window is to close.
    [[nodiscard]] bool OnClose();

    // Theme commands.
    void OnNewTheme();
    void OnOpenTheme();
    void OnSaveTheme();
    void OnThemeSelChange();
    void OnThemeDropDown();

    // A command of the menus or of a shortcut; false for one the window itself carries out
    // (Exit, Help, About).
    bool OnCommand(int command);

    // Event list and sound commands; they act on the list's selection mark.
    void OnListClick();
    void OnListRightClick();
    void OnListDoubleClick();
    void OnPlaySound();
    void OnChangeSound();
    void OnNoSound();
    void OnExtendedCheck();

    // Transfers; each runs its progress dialog modally.
    void OnDownloadTheme();
    void OnUploadTheme();
    // Takes the initial backup unless the library has one, and shows it.
    void InitialBackupCheck();
    // A file dropped on a row: as Change Sound.
    void OnDropSoundFile(int row, const std::string& path);

    // Raised by loadTheme when the user cancelled a conversion of one of its sounds.
    struct ThemeNotOpened {};
    // Extracts the archive into the sounds folder and shows it. Raises MessageError, before
    // anything has changed, when it cannot be opened, is damaged or holds no descriptor, and
    // ThemeNotOpened.
    void loadTheme(const std::string& archivePath);
    // Refills the theme list from the library; nothing is selected.
    void fillThemeList();
    // Refills the theme list and selects the item of that name, if there is one.
    void selectTheme(const std::string& fileName);
    // Offers to save unsaved changes; false when the user cancelled or the save did not
    // happen, and the action that asked must not go on.
    [[nodiscard]] bool promptSaveChanges();
    // Copies a theme into the library, asking before a theme of the same name is replaced;
    // true when the library holds the theme under the target's name afterwards.
    [[nodiscard]] bool importThemeFile(const std::string& source, const std::string& target);

    const SoundTheme& theme() const { return m_theme; }
    const ThemeFolders& folders() const { return m_folders; }
    const CEventListCtrl& eventList() const { return m_eventList; }
    CEventListCtrl& eventList() { return m_eventList; }
    bool isModified() const { return m_modified; }
    // The name the title shows: the theme file's without ".kbt", "Untitled" for a theme that no
    // file holds, empty while no theme is shown.
    const std::string& themeName() const { return m_themeName; }

protected:
    enum class ThemeShown { No, Yes };
    // The one place that decides which controls are enabled.
    void applyEnabling(ThemeShown shown);
    void enableSoundCommands();
    void setModified(bool modified);
    // "Belltide — " and the theme's name, marked "*" while it has unsaved changes.
    void showTitle();
    // One row per entry of m_theme; every sound is looked for in the sounds folder and measured.
    void rebuildEventRows();
    // Shares the list's width again, once a row's texts changed.
    void fitNameColumns();
    // The texts of the "Sounds", "Size" and "Length" columns of a row.
    void showSound(int row, const SoundEntry& entry);
    // "0:03.2" by the wave's header, marked when the sound is long; empty without a wave.
    static std::string lengthText(const SoundEntry& entry);
    // Tells on the status line that the row's sound is long, or takes back what it told of
    // another row.
    void showLengthNote(const SoundEntry& entry);
    // The entry the row shows; end() for no row.
    SoundTheme::iterator entryOfRow(int row);
    // The entry of the selected row; shows "No sound selected" and gives end() without one.
    SoundTheme::iterator selectedEntry();
    // Points the row's entry at the file, or at its conversion into a wave the handheld plays
    // in the sounds folder; a file that cannot be opened or decoded is only reported.
    void assignSoundFile(int row, const std::string& path);
    // loadTheme, with a failure shown in a message box; false when it failed.
    bool tryLoadTheme(const std::string& archivePath);
    // The theme named at start or handed over; true when it was loaded.
    bool loadStartupTheme();
    // True for a file in the theme library itself, however its path is spelled.
    bool isInLibrary(const std::string& path) const;
    TransferServices transferServices() const;
    // Runs a transfer's dialog; a backup check that came meanwhile runs once it is over, never
    // in its modal loop beside its worker.
    void runTransfer(CProgressDlg& dlg);
    // The same for another dialog whose worker runs while it is shown: a conversion's.
    void runTransfer(const std::function<void()>& showDialog);
    // Save Theme...; true when the theme was saved.
    bool saveTheme();
    // Puts the archive's members in place of the sounds folder's files, all or none, each sound
    // of the theme made a wave of the folder; raises MessageError when they cannot all be
    // written. Returns a line for each sound that could not be made a wave.
    std::vector<std::string> extractIntoSoundsFolder(const ThemeArchive& archive,
                                                     const std::string& archivePath,
                                                     SoundTheme& theme);

    ComboBox& m_themeCombo;
    Button& m_saveThemeButton;
    Button& m_noSoundButton;
    Button& m_playButton;
    Button& m_uploadButton;
    Button& m_changeButton;
    CheckBox& m_extendedCheck;
    CEventListCtrl m_eventList;
    StatusLine& m_statusBar;
    WindowTitle& m_title;
    Prompts& m_prompts;
    Settings& m_settings;
    SoundPlayer& m_sound;
    SoundTheme m_theme;
    std::string m_startupTheme;
    ProgressWindows& m_progressWindows;
    // Called only by the transfers' workers: no device is made, nor its library called, on the
    // UI thread.
    RemoteDeviceFactory m_deviceFactory;
    ThemeFolders m_folders;
    bool m_modified = false;
    // The last note on a selected row's long sound; a row without one takes it back.
    std::string m_rowNote;
    // The sound dialog's last preview, kept while it may still play.
    std::unique_ptr<PreviewWave> m_preview;
    bool m_transferRunning = false;
    bool m_backupCheckWaiting = false;
    std::vector<std::string> m_handedOver; // came while a transfer ran
    // Where the theme named at start was opened from: the library's copy, or the file itself
    // when the user kept the library's theme of that name.
    std::string m_startupOpenedFrom;
    // The library file the edited theme was loaded from or saved to; empty when there is none.
    std::string m_themeFileName;
    std::string m_themeName;
};
