// The main window's behaviour: its theme, folders, enabling rules and commands (UI thread only).
#pragma once

#include "catalog/SoundTheme.h"
#include "ui/Controls.h"
#include "ui/SoundPlayer.h"
#include "ui/ThemeFolders.h"

#include <string>

// The controls and services the main window's logic works through.
struct MainWindowControls {
    ListView& eventList;
    ComboBox& themeCombo;
    StatusLine& statusBar;
    Button& saveThemeButton;
    Button& noSoundButton;
    Button& playButton;
    Button& uploadButton;
    Button& changeButton;
    CheckBox& extendedCheck;
    Prompts& prompts;
    SoundPlayer& sound;
};

class CBelltideDlg {
public:
    // Makes the folder of programPath the current directory and derives the theme folders.
    CBelltideDlg(const std::string& programPath, const MainWindowControls& controls);
    virtual ~CBelltideDlg() = default;

    void setStartupTheme(const std::string& path) { m_startupTheme = path; }

    // Status line, folders, list columns, initial control states, welcome sound.
    void OnInitDialog();
    // The close sequence; true when the window is to close.
    bool OnClose();

    // Offers to save unsaved changes; afterwards nothing counts as unsaved.
    void promptSaveChanges();
    void OnSaveTheme();

    const SoundTheme& theme() const { return m_theme; }
    const ThemeFolders& folders() const { return m_folders; }
    bool isModified() const { return m_modified; }

protected:
    enum class ThemeShown { No, Yes };
    // The one place that decides which controls are enabled.
    void applyEnabling(ThemeShown shown);

    ComboBox& m_themeCombo;
    Button& m_saveThemeButton;
    Button& m_noSoundButton;
    Button& m_playButton;
    Button& m_uploadButton;
    Button& m_changeButton;
    CheckBox& m_extendedCheck;
    ListView& m_eventList;
    StatusLine& m_statusBar;
    Prompts& m_prompts;
    SoundPlayer& m_sound;
    SoundTheme m_theme;
    std::string m_startupTheme;
    ThemeFolders m_folders;
    bool m_modified = false;
};
