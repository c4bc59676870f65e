#include "BelltideFrame.h"

#include "Artwork.h"
#include "DialogUnits.h"
#include "EventListView.h"
#include "NativeInput.h"
#include "ProgressDialog.h"
#include "WxHelpLauncher.h"
#include "WxText.h"
#include "device/DefaultDevice.h"
#include "ui/ControlIds.h"
#include "ui/Shortcuts.h"

#include <wx/accel.h>
#include <wx/app.h>
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/config.h>
#include <wx/display.h>
#include <wx/iconbndl.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/statusbr.h>

#include <algorithm>
#include <tuple>
#include <utility>

// A macro of the system's headers, pulled in by the application's, that would rename a type.
#undef MessageBox

namespace {

// The window's layout in dialog units.

constexpr DialogRect ClientDlu{0, 0, 349, 214};
constexpr DialogRect CloseRect{294, 197, 50, 14};
constexpr DialogRect ListRect{2, 0, 266, 185};
constexpr DialogRect ChangeRect{275, 75, 68, 14};
constexpr DialogRect PlayRect{275, 58, 68, 14};
constexpr DialogRect UploadRect{275, 152, 68, 14};
constexpr DialogRect DownloadRect{275, 134, 68, 14};
constexpr DialogRect NoSoundRect{275, 92, 68, 14};
constexpr DialogRect OpenRect{151, 197, 55, 14};
constexpr DialogRect SaveRect{213, 197, 55, 14};
// In line with the buttons beside it and of their height.
constexpr DialogRect ThemeListRect{5, 197, 139, 14};
constexpr DialogRect ExtendedRect{5, 187, 109, 10};
constexpr DialogRect LogoRect{275, 0, 68, 55};

wxBitmap artworkBitmap(const wxString& baseName) {
    const wxImage image = artworkImage(baseName);
    return image.IsOk() ? wxBitmap(image) : wxBitmap();
}

} // namespace

BelltideFrame::BelltideFrame(const std::string& programPath, const std::string& startupTheme,
                             FrameServices services)
    : wxFrame(nullptr, wxID_ANY, "Belltide", wxDefaultPosition, wxDefaultSize,
              wxDEFAULT_FRAME_STYLE | wxCLIP_CHILDREN),
      m_sound(std::move(services.sound)), m_settings(std::move(services.settings)),
      m_prompts(std::move(services.prompts)) {
    if (!m_settings)
        m_settings = std::make_unique<WxSettings>(*wxConfigBase::Get());
    ProgressDialog::MessageBox messageBox = [prompts = m_prompts.get()](wxWindow*,
                                                                        const std::string& text) {
        prompts->showMessage(text);
    };
    if (!m_prompts) {
        m_prompts = std::make_unique<WxPrompts>(this);
        messageBox = [](wxWindow* owner, const std::string& text) {
            WxPrompts(owner).showMessage(text);
        };
    }
    const ProgramFolders folders = ProgramFolders::locate(programPath);
    folders.prepare();
    RemoteDeviceFactory deviceFactory = std::move(services.deviceFactory);
    std::string handheld;
    if (!deviceFactory) {
        HandheldChoice choice = chooseHandheld(folders.dataDir);
        deviceFactory = std::move(choice.factory);
        handheld = std::move(choice.description);
    }
    m_progressWindows = std::make_unique<WxProgressWindows>(this, std::move(messageBox));
    createMenuBar();
    createControls();
    m_logic = std::make_unique<CBelltideDlg>(
        folders, MainWindowControls{.eventList = *m_eventListView,
                                    .themeCombo = *m_themeCombo,
                                    .statusBar = *m_statusBar,
                                    .title = *m_title,
                                    .saveThemeButton = *m_saveThemeButton,
                                    .noSoundButton = *m_noSoundButton,
                                    .playButton = *m_playButton,
                                    .uploadButton = *m_uploadButton,
                                    .changeButton = *m_changeButton,
                                    .extendedCheck = *m_extendedCheck,
                                    .prompts = *m_prompts,
                                    .settings = *m_settings,
                                    .sound = *m_sound,
                                    .progressWindows = *m_progressWindows,
                                    .deviceFactory = std::move(deviceFactory)});
    m_eventListView->setModel(&m_logic->eventList());
    m_progressWindows->setFirstFocus(m_eventListView);
    // A row selected with the mouse or the keyboard enables the sound commands alike.
    m_eventListView->setHandlers({[this] { guarded([this] { m_logic->OnListClick(); }); },
                                  [this](int row, const std::string& path) {
                                      // Not inside the toolkit's drop: a conversion's dialog may
                                      // take a while.
                                      CallAfter([this, row, path] {
                                          guarded([&] { m_logic->OnDropSoundFile(row, path); });
                                      });
                                  }});
    m_helpLauncher = std::make_unique<WxHelpLauncher>(this);
    m_help = std::make_unique<HelpCommands>(*m_helpLauncher, HelpCommands::HelpBook,
                                            HelpCommands::WebAddress, handheld);
    // The logic has made the assets folder current, where the artwork lies.
    loadArtwork();
    bindEvents();
#ifdef __WXMSW__
    appendSystemMenuAbout();
#endif
    const WindowPlacement saved = WindowPlacement::read(*m_settings);
    m_eventListView->setDraggedWidths(saved.columnWidths);
    m_logic->setStartupTheme(startupTheme);
    guarded([this] { m_logic->OnInitDialog(); });
    restorePlacement(saved);
    // Arrows, Space, F2 and Del work on the list from the start, once the window is shown.
    CallAfter([this] {
        m_eventListView->SetFocus();
        m_title->setTitle(fromWx(GetTitle())); // its window exists now
    });
    // A window manager may activate the window after that, and the toolkit then gives the focus
    // to the first control unless one had it while the window was active.
    Bind(wxEVT_ACTIVATE, [this, first = true](wxActivateEvent& event) mutable {
        event.Skip();
        if (first && event.GetActive()) {
            first = false;
            CallAfter([this] { m_eventListView->SetFocus(); });
        }
    });
}

BelltideFrame::~BelltideFrame() {
    if (wxTheApp)
        wxTheApp->Unbind(wxEVT_QUERY_END_SESSION, &BelltideFrame::onQueryEndSession, this);
    m_sound->stop();
}

void BelltideFrame::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        m_prompts->showMessage(problemText(error));
    }
}

// wx takes menu ids below 0x7FFF only; the commands keep their numbers modulo 0x8000.
int BelltideFrame::menuId(int command) {
    return command & 0x7FFF;
}

void BelltideFrame::createMenuBar() {
    auto* file = new wxMenu;
    const auto append = [file](int command, const std::string& text) {
        file->Append(menuId(command), toWx(menuText(text, command)));
    };
    append(CommandId::NewTheme, "&New Theme");
    append(CommandId::OpenTheme, "&Open Theme...");
    append(CommandId::SaveTheme, "&Save Theme...");
    file->AppendSeparator();
    append(CommandId::Exit, "E&xit");
    auto* help = new wxMenu;
    help->Append(menuId(CommandId::Help), "&Help\tF1");
    help->AppendSeparator();
    help->Append(menuId(CommandId::About), "&About");
    auto* bar = new wxMenuBar;
    bar->Append(file, "&File");
    bar->Append(help, "&Help");
    SetMenuBar(bar);
}

void BelltideFrame::createControls() {
    m_panel = new wxPanel(this, wxID_ANY);
    const auto place = [this](const DialogRect& r) { return placeInDialogUnits(*m_panel, r); };
    const auto button = [&](int id, const char* text, const DialogRect& r) {
        const auto [pos, size] = place(r);
        return new wxButton(m_panel, id, text, pos, size);
    };

    // Created in the window's reading order, which is also the tab order: the theme and its
    // commands, the list and what acts on its rows, the upload, Close. Each has an access key of
    // its own; F and H are the menus'.
    const auto [comboPos, comboSize] = place(ThemeListRect);
    auto* combo = new wxChoice(m_panel, ControlId::ThemeList, comboPos, comboSize);
    button(ControlId::OpenTheme, "&Open Theme...", OpenRect);
    auto* save = button(ControlId::SaveTheme, "&Save Theme...", SaveRect);
    const auto [listPos, listSize] = place(ListRect);
    m_eventListView = new EventListView(m_panel, ControlId::EventList, listPos, listSize);
    auto* play = button(ControlId::PlaySound, "&Play Sound", PlayRect);
    auto* change = button(ControlId::ChangeSound, "&Change Sound...", ChangeRect);
    auto* noSound = button(ControlId::NoSound, "&No Sound", NoSoundRect);
    // GTK refuses a check box smaller than its label, so it keeps its natural size.
    auto* extended = new wxCheckBox(m_panel, ControlId::ExtendedCheck,
                                    "Upload e&xtended notifications", place(ExtendedRect).first);
    button(ControlId::DownloadTheme, "&Download Theme", DownloadRect);
    auto* upload = button(ControlId::UploadTheme, "&Upload Theme", UploadRect);
    auto* close = button(ControlId::Close, "C&lose", CloseRect);
    close->SetDefault();
    const auto [logoPos, logoSize] = place(LogoRect);
    auto* logo = new wxBitmapButton(m_panel, ControlId::Logo, wxNullBitmap, logoPos, logoSize,
                                    wxBORDER_NONE);
    logo->SetCursor(wxCursor(wxCURSOR_HAND));
    // A picture: the mouse's, never a holder of the keyboard's focus, which GTK would otherwise
    // give it when the window is activated under the pointer.
    logo->DisableFocusFromKeyboard();
    logo->SetCanFocus(false);

    // The status bar first: on Windows it takes its height from the client area.
    // No tips of its own: the line shows a shortened note whole as its tooltip.
    CreateStatusBar(1, wxSTB_SIZEGRIP | wxSTB_ELLIPSIZE_END | wxFULL_REPAINT_ON_RESIZE);
    m_templateClientSize =
        m_panel->ConvertDialogToPixels(wxSize(ClientDlu.width, ClientDlu.height));
    SetClientSize(m_templateClientSize);
    // The template's size is the least the layout needs.
    SetMinSize(GetSize());
    const auto anchor = [this](wxWindow* control, bool right, bool bottom, bool grows = false) {
        m_anchored.push_back(
            {control, control->GetPosition(), control->GetSize(), right, bottom, grows});
    };
    anchor(m_eventListView, false, false, true);
    for (wxWindow* beside : std::initializer_list<wxWindow*>{
             change, play, upload, FindWindow(ControlId::DownloadTheme), noSound, logo})
        anchor(beside, true, false);
    // Open and Save stand under the list's right edge, Close under the buttons.
    for (wxWindow* under :
         std::initializer_list<wxWindow*>{FindWindow(ControlId::OpenTheme), save, close})
        anchor(under, true, true);
    anchor(combo, false, true);
    anchor(extended, false, true);
    m_panel->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        layOut();
        event.Skip();
    });

    m_themeCombo = std::make_unique<WxComboBox>(combo);
    m_statusBar = std::make_unique<WxStatusLine>(GetStatusBar());
    m_title = std::make_unique<WxWindowTitle>(this);
    m_saveThemeButton = std::make_unique<WxButton>(save);
    m_noSoundButton = std::make_unique<WxButton>(noSound);
    m_playButton = std::make_unique<WxButton>(play);
    m_uploadButton = std::make_unique<WxButton>(upload);
    m_changeButton = std::make_unique<WxButton>(change);
    m_extendedCheck = std::make_unique<WxCheckBox>(extended);
}

void BelltideFrame::layOut() {
    const wxSize room = m_panel->GetClientSize();
    const int extraX = std::max(0, room.x - m_templateClientSize.x);
    const int extraY = std::max(0, room.y - m_templateClientSize.y);
    for (const Anchored& placed : m_anchored) {
        const wxPoint at =
            placed.position + wxPoint(placed.right ? extraX : 0, placed.bottom ? extraY : 0);
        const wxSize size = placed.grows ? placed.size + wxSize(extraX, extraY) : placed.size;
        placed.control->SetSize(wxRect(at, size));
    }
    m_eventListView->fitColumns();
}

void BelltideFrame::restorePlacement(const WindowPlacement& saved) {
    std::vector<ScreenRect> workAreas;
    for (unsigned i = 0; i < wxDisplay::GetCount(); ++i) {
        const wxRect area = wxDisplay(i).GetClientArea();
        workAreas.push_back({area.x, area.y, area.width, area.height});
    }
    if (const auto rect = saved.placeOn(workAreas, GetMinSize().x, GetMinSize().y)) {
        SetSize(rect->x, rect->y, rect->width, rect->height);
        placeBeforeShow(this);
    }
    m_normalRect = GetRect();
#ifdef __WXGTK__
    // Maximised only once it is on screen at the size kept: before, GTK does not know the
    // frame's edges yet, and the window would come back from maximised larger by them.
    if (saved.maximized)
        Bind(wxEVT_ACTIVATE, [this, first = true](wxActivateEvent& event) mutable {
            event.Skip();
            if (std::exchange(first, false))
                CallAfter([this] { Maximize(); });
        });
#else
    if (saved.maximized)
        Maximize();
#endif
    // Only a window neither maximised nor minimised shows the size and position to keep.
    const auto keepNormal = [this](wxEvent& event) {
        if (!IsMaximized() && !IsIconized() && IsShown())
            m_normalRect = GetRect();
        event.Skip();
    };
    Bind(wxEVT_SIZE, keepNormal);
    Bind(wxEVT_MOVE, keepNormal);
}

void BelltideFrame::savePlacement() {
    WindowPlacement placement;
    placement.normal =
        ScreenRect{m_normalRect.x, m_normalRect.y, m_normalRect.width, m_normalRect.height};
    placement.maximized = IsMaximized();
    placement.columnWidths = m_eventListView->draggedWidths();
    placement.write(*m_settings);
}

void BelltideFrame::loadArtwork() {
#ifdef __WXMSW__
    // The icon with its transparency lives in the program's resources.
    const wxIconBundle icons = resourceIcons();
#else
    wxIconBundle icons;
    for (const char* size : {"16", "32", "64"}) {
        const wxBitmap bitmap = artworkBitmap(wxString("belltide-") + size);
        if (bitmap.IsOk()) {
            wxIcon icon;
            icon.CopyFromBitmap(bitmap);
            icons.AddIcon(icon);
        }
    }
#endif
    if (!icons.IsEmpty())
        SetIcons(icons);
    const wxBitmap logo = artworkBitmap("logo");
    if (logo.IsOk())
        static_cast<wxBitmapButton*>(FindWindow(ControlId::Logo))->SetBitmap(logo);
}

void BelltideFrame::bindEvents() {
    Bind(wxEVT_CLOSE_WINDOW, &BelltideFrame::onClose, this);
    // The system asks the application, which would close this window over a running transfer.
    if (wxTheApp)
        wxTheApp->Bind(wxEVT_QUERY_END_SESSION, &BelltideFrame::onQueryEndSession, this);
    m_soundIdleTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { m_sound->releaseIdleOutput(); });
    m_soundIdleTimer.Start(2000);
    Bind(wxEVT_CHAR_HOOK, &BelltideFrame::onCharHook, this);
    const auto closeWindow = [this](wxCommandEvent&) { Close(); };
    Bind(wxEVT_BUTTON, closeWindow, ControlId::Close);
    Bind(wxEVT_MENU, closeWindow, menuId(CommandId::Exit));
    const auto command = [this](void (CBelltideDlg::*handler)()) {
        return [this, handler](wxCommandEvent&) { guarded([&] { (m_logic.get()->*handler)(); }); };
    };
    Bind(wxEVT_MENU, command(&CBelltideDlg::OnNewTheme), menuId(CommandId::NewTheme));
    Bind(wxEVT_BUTTON, command(&CBelltideDlg::OnOpenTheme), ControlId::OpenTheme);
    Bind(wxEVT_MENU, command(&CBelltideDlg::OnOpenTheme), menuId(CommandId::OpenTheme));
    Bind(wxEVT_BUTTON, command(&CBelltideDlg::OnSaveTheme), ControlId::SaveTheme);
    Bind(wxEVT_MENU, command(&CBelltideDlg::OnSaveTheme), menuId(CommandId::SaveTheme));
    Bind(wxEVT_CHOICE, command(&CBelltideDlg::OnThemeSelChange), ControlId::ThemeList);
    onAboutToDropDown(static_cast<wxChoice*>(FindWindow(ControlId::ThemeList)),
                      [this] { guarded([this] { m_logic->OnThemeDropDown(); }); });

    for (const auto& [button, popup, handler] :
         {std::tuple{ControlId::PlaySound, CommandId::PopupPlay, &CBelltideDlg::OnPlaySound},
          std::tuple{ControlId::ChangeSound, CommandId::PopupChange, &CBelltideDlg::OnChangeSound},
          std::tuple{ControlId::NoSound, CommandId::PopupNoSound, &CBelltideDlg::OnNoSound}}) {
        Bind(wxEVT_BUTTON, command(handler), button);
        Bind(wxEVT_MENU, command(handler), menuId(popup));
    }
    Bind(wxEVT_CHECKBOX, command(&CBelltideDlg::OnExtendedCheck), ControlId::ExtendedCheck);
    Bind(wxEVT_BUTTON, command(&CBelltideDlg::OnDownloadTheme), ControlId::DownloadTheme);
    Bind(wxEVT_BUTTON, command(&CBelltideDlg::OnUploadTheme), ControlId::UploadTheme);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { guarded([this] { m_help->OnAbout(); }); },
        menuId(CommandId::About));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { guarded([this] { m_help->OnHelp(); }); },
        menuId(CommandId::Help));
    Bind(wxEVT_HELP, [this](wxHelpEvent&) { guarded([this] { m_help->OnHelp(); }); });
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { guarded([this] { m_help->OnLogo(); }); },
        ControlId::Logo);
    // Double click, and Enter on the selected row.
    m_eventListView->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent&) {
        guarded([this] { m_logic->OnListDoubleClick(); });
    });
    m_eventListView->Bind(wxEVT_CONTEXT_MENU, [this](wxContextMenuEvent&) {
        guarded([this] { m_logic->OnListRightClick(); });
    });
}

bool BelltideFrame::runShortcut(const wxKeyEvent& event) {
    for (const Shortcut& shortcut : Shortcuts) {
        wxAcceleratorEntry entry;
        // The menu bar's own accelerators carry out the others.
        if (shortcut.scope == Shortcut::Scope::Menu || !entry.FromString(shortcut.accelerator) ||
            entry.GetKeyCode() != event.GetKeyCode() || entry.GetFlags() != event.GetModifiers())
            continue;
        if (shortcut.scope == Shortcut::Scope::List && FindFocus() != m_eventListView)
            return false;
        later([this, command = shortcut.command] { m_logic->OnCommand(command); });
        return true;
    }
    return false;
}

void BelltideFrame::later(std::function<void()> action) {
    // Windows hands the key itself on to a dialog that opens while its hook runs: an Esc or Enter
    // would answer the exit question the moment it is asked.
    CallAfter([this, action = std::move(action)] { guarded(action); });
}

bool BelltideFrame::takesInput() const {
    return IsEnabled() && !isMenuShown();
}

void BelltideFrame::onCharHook(wxKeyEvent& event) {
    // An Esc or a shortcut that reaches the window while a menu is open is meant for the menu.
    if (isMenuShown()) {
        event.Skip();
        return;
    }
    const int key = event.GetKeyCode();
    if (runShortcut(event))
        return;
    if (key == WXK_ESCAPE) {
        later([this] { Close(); });
        return;
    }
    if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
        // Enter on the list plays the selected row.
        if (FindFocus() == m_eventListView && m_logic->eventList().selectionMark() != -1) {
            event.Skip();
            return;
        }
        // As in a dialog: Enter presses the focused button, else the default button "Close".
        if (auto* focused = dynamic_cast<wxButton*>(FindFocus())) {
            later([focused] {
                wxCommandEvent click(wxEVT_BUTTON, focused->GetId());
                click.SetEventObject(focused);
                focused->ProcessWindowEvent(click);
            });
            return;
        }
        later([this] { Close(); });
        return;
    }
    event.Skip();
}

void BelltideFrame::onQueryEndSession(wxCloseEvent& event) {
    // The session waits for the transfer: its dialog and worker need this window to the end.
    if (m_progressWindows->isRunning() && event.CanVeto()) {
        event.Veto();
        return;
    }
    event.Skip();
}

void BelltideFrame::onClose(wxCloseEvent& event) {
    if (m_progressWindows->isRunning()) {
        if (event.CanVeto())
            event.Veto();
        return; // never destroyed under a running transfer
    }
    if (event.CanVeto()) {
        bool closing = false; // a close sequence that failed keeps the window and its theme
        guarded([&] { closing = m_logic->OnClose(); });
        if (!closing) {
            event.Veto();
            return;
        }
    }
    savePlacement();
    Destroy();
}
