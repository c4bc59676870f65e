// The real main window: its controls, menus and list as wx shows them, and its wiring.
#include "GuiFixture.h"

#include <wx/checkbox.h>
#include <wx/gauge.h>
#include <wx/menu.h>
#include <wx/weakref.h>

#include <numeric>

using namespace ControlId;

// The keyboard, the mouse, the buttons and the menus reach their commands. Tab follows the
// window's reading order, passing the empty theme list with a single Tab and passing the logo by;
// the first Down selects the first row. Esc that closes the theme list's drop-down or a menu closes
// only that, and the shortcut keys still reach their commands once the help, opened with F1 with
// the program's icons, is closed. A theme picked in the list is loaded anew and leaves no row
// highlighted, so that a click on one selects it again.
TEST_F(MainWindowGui, KeysClicksButtonsAndMenusReachTheirCommands) {
    // The list holds the focus from the start.
    ASSERT_TRUE(waitUntil([&] { return wxWindow::FindFocus() == list(); }));
    send(wxEVT_MENU, CommandId::NewTheme);
    writeBytes(folder.path() / "ding.wav", waveBytes("d"));
    frame->logic().OnDropSoundFile(0, folder.dir() + "ding.wav");
    const std::string copy = frame->logic().folders().soundsDir + "ding.wav";
    pressKey(WXK_DOWN);
    EXPECT_TRUE(waitUntil([&] { return control(PlaySound)->IsEnabled(); }));
    EXPECT_EQ(list()->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED), 0);

    // From the list onwards, round to the list again; the logo is passed by.
    const std::vector<int> order{PlaySound,     ChangeSound, NoSound,  ExtendedCheck,
                                 DownloadTheme, UploadTheme, Close,    ThemeList,
                                 OpenTheme,     SaveTheme,   EventList};
    std::vector<int> tabbed;
    for (int focused = EventList; tabbed.size() < order.size(); tabbed.push_back(focused)) {
        pressKey(WXK_TAB);
        waitUntil([&] { return !focusIsIn(focused); }, 1000);
        for (int id : order)
            focused = focusIsIn(id) ? id : focused;
    }
    EXPECT_EQ(tabbed, order);

    // Themes added since the start, to a library that was empty, are all offered.
    for (const char* name : {"b.kbt", "c.kbt", "d.kbt"})
        writeBytes(themesDir() + name, memberBytes("theme.dsc", "1\r\nAsterisk\r\n(none)\r\n\r\n"));
    const auto popupOpen = [] {
        return shownWindow([](GtkWidget* window) {
            return gtk_window_get_window_type(GTK_WINDOW(window)) == GTK_WINDOW_POPUP;
        });
    };
    prompts->answers = {false};
    const wxRect rect = combo()->GetScreenRect(), bar = frame->GetMenuBar()->GetScreenRect();
    for (const wxPoint& at : {wxPoint(rect.GetRight() - 10, rect.y + rect.height / 2),
                              wxPoint(bar.x + 15, bar.y + bar.height / 2)}) {
        clickAt(at);
        ASSERT_TRUE(waitUntil(popupOpen)) << "the drop-down or the File menu does not open";
        pressKey(WXK_ESCAPE);
        ASSERT_TRUE(waitUntil([&] { return !popupOpen(); }));
    }
    EXPECT_EQ(combo()->GetCount(), 3u);
    waitUntil([] { return false; }, 300);
    EXPECT_TRUE(prompts->questions.empty()) << "Esc that closed a popup asked to exit";

    fs::create_symlink(fs::path(BELLTIDE_BUILD_DIR) / "Belltide.htb",
                       folder.path() / "Belltide.htb");
    pressKey(WXK_F1);
    wxWeakRef<wxTopLevelWindow> help; // the viewer destroys itself when closed
    ASSERT_TRUE(waitUntil([&] { return (help = shownTopLevel(frame)) != nullptr; }))
        << "F1 opened no help";
    ASSERT_FALSE(frame->GetIcons().IsEmpty());
    EXPECT_EQ(help->GetIcons().GetIconCount(), frame->GetIcons().GetIconCount())
        << "the help has not the program's icons";
    help->Close();
    frame->Raise();
    ASSERT_TRUE(waitUntil([&] { return frame->IsActive() && (!help || !help->IsShown()); }));
    list()->SetFocus();
    sound->played.clear(); // the welcome
    // Each command shows its own file dialog or question: Ctrl+S saves, every other is cancelled.
    prompts->files = {std::nullopt, themesDir() + "a.kbt", std::nullopt, std::nullopt,
                      std::nullopt, std::nullopt,          std::nullopt};
    prompts->answers = {false, false, false};
    // A key (type 0) or a command, and the file dialogs and questions shown after it.
    using Input = std::tuple<wxEventType, int, int, std::size_t, std::size_t>;
    for (const auto& [type, id, modifiers, dialogs, questions] :
         {Input{0, WXK_SPACE, wxMOD_NONE, 0, 0}, Input{0, WXK_F2, wxMOD_NONE, 1, 0},
          Input{0, 'S', wxMOD_CONTROL, 2, 0}, Input{wxEVT_BUTTON, SaveTheme, 0, 3, 0},
          Input{wxEVT_MENU, CommandId::SaveTheme, 0, 4, 0}, Input{wxEVT_BUTTON, OpenTheme, 0, 5, 0},
          Input{wxEVT_MENU, CommandId::OpenTheme, 0, 6, 0},
          Input{wxEVT_BUTTON, ChangeSound, 0, 7, 0}, Input{wxEVT_BUTTON, PlaySound, 0, 7, 0},
          Input{wxEVT_BUTTON, Close, 0, 7, 1}, Input{wxEVT_MENU, CommandId::Exit, 0, 7, 2},
          Input{0, WXK_ESCAPE, wxMOD_NONE, 7, 3}, Input{0, WXK_DELETE, wxMOD_NONE, 7, 3}}) {
        if (type == 0)
            pressKey(id, modifiers);
        else
            send(type, id);
        EXPECT_TRUE(waitUntil([&] {
            return prompts->dialogs.size() == dialogs && prompts->questions.size() == questions;
        })) << id;
    }
    EXPECT_TRUE(waitUntil([&] { return list()->GetItemText(0, 1) == "(none)"; })) << "Delete";
    EXPECT_EQ(sound->played, (std::vector<std::string>{copy, copy})) << "Space and Play";
    EXPECT_FALSE(wxTheApp->IsScheduledForDestruction(frame)) << "No keeps the window open";

    prompts->choices = {Answer::No};
    list()->SetItemCount(0); // the pick must fill the list again
    combo()->SetStringSelection("a.kbt");
    send(wxEVT_CHOICE, ThemeList);
    EXPECT_EQ(list()->GetItemCount(), 25);
    EXPECT_EQ(list()->GetSelectedItemCount(), 0);
    EXPECT_FALSE(control(PlaySound)->IsEnabled());
    wxRect row;
    ASSERT_TRUE(list()->GetItemRect(0, row));
    clickAt(list()->ClientToScreen(row.GetPosition() + wxPoint(60, row.height / 2)));
    EXPECT_TRUE(waitUntil([&] { return control(PlaySound)->IsEnabled(); }));
    sound->fails = true; // shown, where the toolkit would end the program
    send(wxEVT_BUTTON, PlaySound);
    EXPECT_TRUE(prompts->messages.back().starts_with(
        "Belltide could not finish this because of an unexpected problem: "));
    send(wxEVT_MENU, CommandId::PopupNoSound);
    EXPECT_EQ(list()->GetItemText(0, 1), "(none)");
    static_cast<wxCheckBox*>(control(ExtendedCheck))->SetValue(false);
    send(wxEVT_CHECKBOX, ExtendedCheck);
    EXPECT_EQ(list()->GetItemTextColour(24), wxColour(0x80, 0x80, 0x80)) << "not greyed";
}

// The columns' headings and alignment, the menus, an access key on every control, none used twice
// on the window, and a progress bar's steps. Event names and sizes are shown whole and no column is
// out of sight, whatever theme is shown and however large the user pulls the window: the list takes
// the room, the buttons keep to the right and the bottom, and the file names give way.
TEST_F(MainWindowGui, ShowsItsControlsWithAccessKeysAndEveryColumnInSightAtAnySize) {
    wxString columns, menus, keys = "fh"; // the menu bar's keys
    for (int column = 0; column < list()->GetColumnCount(); ++column) {
        wxListItem item;
        item.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_FORMAT);
        list()->GetColumn(column, item);
        columns << item.GetText()
                << (item.GetAlign() == wxLIST_FORMAT_RIGHT ? " right|" : " left|");
    }
    EXPECT_EQ(columns, "Events left|Sounds left|Size right|Length right|");
    const wxString headings[] = {"Events", "Sounds", "Size", "Length"};
    for (int command : {CommandId::NewTheme, CommandId::OpenTheme, CommandId::SaveTheme,
                        CommandId::Exit, CommandId::Help, CommandId::About})
        menus += frame->GetMenuBar()->GetLabel(BelltideFrame::menuId(command)) + "|";
    EXPECT_EQ(menus, "&New Theme\tCtrl+N|&Open Theme...\tCtrl+O|&Save Theme...\tCtrl+S|"
                     "E&xit\tCtrl+Q|&Help\tF1|&About|");
    for (int id : {PlaySound, ChangeSound, NoSound, ExtendedCheck, DownloadTheme, UploadTheme,
                   OpenTheme, SaveTheme, Close})
        keys += control(id)->GetLabel().AfterFirst('&').Left(1).Lower();
    EXPECT_EQ(keys, "fhpcnxduosl");
    EXPECT_EQ(combo()->GetSize().y, control(OpenTheme)->GetSize().y) << "the buttons' height";

    const std::string name = std::string(196, 'n') + ".wav";
    writeBytes(themesDir() + "long.kbt",
               memberBytes("theme.dsc", "2\r\nAsterisk\r\n" + name.substr(0, 196) +
                                            "\r\n.wav\r\n_MSN Messenger: Contact online\r\n"
                                            "chime\r\n.wav\r\n") +
                   memberBytes(name, "w") +
                   memberBytes("chime.wav", waveBytes(std::string(8000 * 62, 'x'))));
    // The columns' widths stay as themes of other names and of more rows come and go.
    send(wxEVT_MENU, CommandId::NewTheme);
    const std::vector<int> widths0 = columnWidths();
    writeBytes(themesDir() + "t.kbt",
               memberBytes("theme.dsc", "1\r\nAsterisk\r\nhwandsw\r\n.wav\r\n") +
                   memberBytes("hwandsw.wav", waveBytes("w")));
    frame->logic().loadTheme(themesDir() + "t.kbt");
    EXPECT_EQ(columnWidths(), widths0);
    frame->logic().loadTheme(themesDir() + "long.kbt");
    wxYield();
    ASSERT_EQ(list()->GetItemCount(), 2);
    const wxSize list0 = list()->GetSize(), window0 = frame->GetSize();
    const wxPoint close0 = control(Close)->GetPosition(), play0 = control(PlaySound)->GetPosition(),
                  combo0 = combo()->GetPosition();
    EXPECT_EQ(frame->GetMinSize(), window0) << "the template's size is the least";
    for (const wxSize& larger : {wxSize(0, 0), wxSize(300, 200), wxSize(0, 0)}) {
        frame->SetSize(window0 + larger);
        ASSERT_TRUE(waitUntil([&] { return list()->GetSize() == list0 + larger; }));
        EXPECT_EQ(control(Close)->GetPosition(), close0 + wxPoint(larger.x, larger.y));
        EXPECT_EQ(control(PlaySound)->GetPosition(), play0 + wxPoint(larger.x, 0));
        EXPECT_EQ(combo()->GetPosition(), combo0 + wxPoint(0, larger.y));
        const std::vector<int> widths = columnWidths();
        EXPECT_LE(std::reduce(widths.begin(), widths.end()), list()->GetClientSize().x)
            << "a column is out of sight";
        // Event names, sizes and lengths whole, and the headings over them.
        for (int column : {0, 2, 3})
            for (const wxString& text :
                 {list()->GetItemText(0, column), list()->GetItemText(1, column), headings[column]})
                EXPECT_LE(list()->GetTextExtent(text).x + 8, widths[column]) << text;
        // A long event name, and a long sound's mark, still leave room for a handheld's name.
        EXPECT_GT(list()->GetColumnWidth(1), list()->GetTextExtent("beginsync.wav").x);
        const wxString shown = list()->GetItemText(0, 1);
        EXPECT_TRUE(shown.EndsWith(".wav") && shown.Contains("...")) << shown;
        EXPECT_LE(list()->GetTextExtent(shown).x, list()->GetColumnWidth(1));
    }
    // The pointer on the shortened name shows it whole.
    wxRect cell;
    ASSERT_TRUE(list()->GetSubItemRect(0, 1, cell));
    wxUIActionSimulator().MouseMove(list()->ClientToScreen(cell.GetPosition() + wxPoint(30, 5)));
    wxWindow* rows = list()->GetChildren().front();
    EXPECT_TRUE(waitUntil([&] { return rows->GetToolTipText() == name; }));

    // The progress bar is full at its last step, and starts over past it, as a native one does.
    ProgressDialog dialog(frame, {1, "Progress", "", TextAlign::Centre}, {});
    auto* gauge = static_cast<wxGauge*>(dialog.FindWindow(ProgressDialog::ProgressBarId));
    dialog.setRange(0, 3);
    dialog.setStep(1);
    for (int value : {1, 2, 3, 1}) {
        dialog.stepIt();
        EXPECT_EQ(gauge->GetValue(), value * gauge->GetRange() / 3);
    }
}
