// The main window: lays out the controls of the Belltide window and forwards their events.
#pragma once

#include "ui/CBelltideDlg.h"
#include "ui/HelpCommands.h"
#include "ui/WindowPlacement.h"
#include "ui/wx/WxControls.h"

#include <wx/frame.h>
#include <wx/timer.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class EventListView;
class WxProgressWindows;
class wxPanel;

// What the window uses besides its own controls; prompts default to message boxes and the
// device to the virtual handheld beside the program.
struct FrameServices {
    std::unique_ptr<SoundPlayer> sound;
    std::unique_ptr<Prompts> prompts;
    RemoteDeviceFactory deviceFactory;
    // Defaults to the program's wxConfig.
    std::unique_ptr<Settings> settings = {};
};

class BelltideFrame : public wxFrame {
public:
    // programPath is the running executable; the window's logic makes its folder current.
    BelltideFrame(const std::string& programPath, const std::string& startupTheme,
                  FrameServices services);
    ~BelltideFrame() override;

    CBelltideDlg& logic() { return *m_logic; }
    // Neither a transfer nor a menu holds the window.
    bool takesInput() const;
    // The id under which a menu command of CommandId is known to wx.
    static int menuId(int command);
    // UI thread. Runs a handler of the window: a failure it did not expect, a file system's
    // included, is shown in a message box, where the toolkit would end the program.
    void guarded(const std::function<void()>& handler);

private:
    // A control placed by the template; the extra room of a larger window moves it or grows it.
    struct Anchored {
        wxWindow* control;
        wxPoint position;
        wxSize size;
        bool right, bottom, grows;
    };

    void createMenuBar();
    void createControls();
    // Places the controls for the panel's size: the list takes the extra room, the buttons and
    // the logo keep to the right, the bottom row to the bottom.
    void layOut();
    void restorePlacement(const WindowPlacement& saved);
    void savePlacement();
    // A key of the shortcut table, if the event is one and it applies where the focus is.
    bool runShortcut(const wxKeyEvent& event);
    // What a key does, once the key has been dealt with.
    void later(std::function<void()> action);
    void loadArtwork();
    void bindEvents();
    void onCharHook(wxKeyEvent& event);
    void onClose(wxCloseEvent& event);
    void onQueryEndSession(wxCloseEvent& event);
#ifdef __WXMSW__
    // The icon in all its sizes from the program's resources, and the About entry of the system
    // menu (BelltideFrameMsw.cpp).
    static wxIconBundle resourceIcons();
    void appendSystemMenuAbout();
    WXLRESULT MSWWindowProc(WXUINT message, WXWPARAM wParam, WXLPARAM lParam) override;
#endif

    wxPanel* m_panel = nullptr;
    std::vector<Anchored> m_anchored;
    wxSize m_templateClientSize;
    // The last size and position while neither maximised nor minimised.
    wxRect m_normalRect;
    EventListView* m_eventListView = nullptr;
    std::unique_ptr<SoundPlayer> m_sound;
    std::unique_ptr<WxComboBox> m_themeCombo;
    std::unique_ptr<WxStatusLine> m_statusBar;
    std::unique_ptr<WxWindowTitle> m_title;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<WxButton> m_saveThemeButton;
    std::unique_ptr<WxButton> m_noSoundButton;
    std::unique_ptr<WxButton> m_playButton;
    std::unique_ptr<WxButton> m_uploadButton;
    std::unique_ptr<WxButton> m_changeButton;
    std::unique_ptr<WxCheckBox> m_extendedCheck;
    std::unique_ptr<Prompts> m_prompts;
    std::unique_ptr<WxProgressWindows> m_progressWindows;
    std::unique_ptr<CBelltideDlg> m_logic;
    std::unique_ptr<HelpLauncher> m_helpLauncher;
    std::unique_ptr<HelpCommands> m_help;
    wxTimer m_soundIdleTimer;
};
