// The real main window: its controls, menus and list as wx shows them, and its wiring.
#include "support/ArchiveBytes.h"
#include "support/FakeControls.h"
#include "support/TempFolder.h"
#include "ui/CSoundFileDialog.h"
#include "ui/ControlIds.h"
#include "ui/wx/BelltideFrame.h"
#include "ui/wx/WxControls.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/time.h>
#include <wx/uiaction.h>

#include <functional>
#include <gtk/gtk.h>

namespace fs = std::filesystem;
using namespace ControlId;

class MainWindowGui : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory_symlink(fs::path(BELLTIDE_BUILD_DIR) / "artwork",
                                     folder.path() / "artwork");
        auto scripted = std::make_unique<ScriptedPrompts>();
        auto recorder = std::make_unique<RecordingSoundPlayer>();
        prompts = scripted.get();
        sound = recorder.get();
        frame = new BelltideFrame((folder.path() / "belltide").string(), "",
                                  FrameServices{std::move(recorder), std::move(scripted), {}});
        frame->Show();
        wxYield();
        prompts->messages.clear(); // the start's backup found no device
    }
    void TearDown() override {
        if (!wxTheApp->IsScheduledForDestruction(frame))
            frame->Destroy();
        wxTheApp->ProcessIdle();
    }

    wxWindow* control(int id) const { return frame->FindWindow(id); }
    // A command event as the control or the menu sends it.
    void send(wxEventType type, int id) {
        wxCommandEvent event(type, type == wxEVT_MENU ? BelltideFrame::menuId(id) : id);
        event.SetEventObject(type == wxEVT_MENU ? frame : control(id));
        (type == wxEVT_MENU ? frame : control(id))->ProcessWindowEvent(event);
        wxYield();
    }
    // Runs the event loop until the condition holds; false when the time ran out first.
    static bool waitUntil(const std::function<bool()>& condition, int milliseconds = 3000) {
        for (const auto end = wxGetLocalTimeMillis() + milliseconds; !condition(); wxMilliSleep(10))
            if (wxGetLocalTimeMillis() >= end)
                return false;
            else
                wxYield();
        return true;
    }
    void clickAt(const wxPoint& screen) {
        wxUIActionSimulator mouse;
        mouse.MouseMove(screen);
        wxYield();
        mouse.MouseClick();
        wxYield();
    }
    wxListCtrl* list() const { return static_cast<wxListCtrl*>(control(EventList)); }
    wxChoice* combo() const { return static_cast<wxChoice*>(control(ThemeList)); }
    std::string themesDir() const { return frame->logic().folders().themesDir; }

    TempFolder folder;
    BelltideFrame* frame = nullptr;
    ScriptedPrompts* prompts = nullptr;
    RecordingSoundPlayer* sound = nullptr;
};

TEST_F(MainWindowGui, ShowsTheTemplatesControlsColumnsAndMenus) {
    EXPECT_FALSE(frame->HasFlag(wxRESIZE_BORDER));
    const wxRect client(frame->GetClientSize());
    std::vector<wxRect> placed;
    for (int id : {Close, EventList, ChangeSound, PlaySound, UploadTheme, DownloadTheme, NoSound,
                   OpenTheme, SaveTheme, ThemeList, ExtendedCheck, Logo}) {
        const bool off = id == ChangeSound || id == PlaySound || id == UploadTheme ||
                         id == NoSound || id == SaveTheme || id == ExtendedCheck;
        EXPECT_EQ(control(id)->IsEnabled(), !off) << id;
        const wxRect rect = control(id)->GetRect();
        EXPECT_TRUE(client.Contains(rect)) << id << " leaves the window";
        for (const auto& other : placed)
            EXPECT_FALSE(rect.Intersects(other)) << id << " overlaps another control";
        placed.push_back(rect);
    }
    EXPECT_TRUE(static_cast<wxCheckBox*>(control(ExtendedCheck))->GetValue());
    const char* headings[] = {"Events", "Sounds", "Size"};
    ASSERT_EQ(list()->GetColumnCount(), 3);
    for (int column = 0; column < 3; ++column) {
        wxListItem item;
        item.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_FORMAT);
        list()->GetColumn(column, item);
        EXPECT_EQ(item.GetText(), headings[column]);
        EXPECT_EQ(list()->GetColumnWidth(column), column == 2 ? 80 : 130);
        EXPECT_EQ(item.GetAlign(), column == 2 ? wxLIST_FORMAT_RIGHT : wxLIST_FORMAT_LEFT);
    }
    wxString menus;
    for (int command : {CommandId::NewTheme, CommandId::OpenTheme, CommandId::SaveTheme,
                        CommandId::Exit, CommandId::Help, CommandId::About})
        menus += frame->GetMenuBar()->GetLabel(BelltideFrame::menuId(command)) + "|";
    EXPECT_EQ(menus, "New Theme|&Open Theme...|&Save Theme...|E&xit|&Help\tF1|&About|");
}

TEST_F(MainWindowGui, EveryWayOfClosingAsksTheExitQuestion) {
    prompts->answers = {false, false, false, false, true};
    send(wxEVT_BUTTON, Close);
    send(wxEVT_MENU, CommandId::Exit);
    for (int key : {WXK_ESCAPE, WXK_RETURN}) {
        wxKeyEvent press(wxEVT_CHAR_HOOK);
        press.m_keyCode = key;
        control(EventList)->SetFocus();
        frame->ProcessWindowEvent(press);
    }
    wxYield();
    EXPECT_EQ(prompts->questions.size(), 4u);
    EXPECT_FALSE(wxTheApp->IsScheduledForDestruction(frame)) << "No keeps the window open";
    frame->Close();
    EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(frame));
}

TEST_F(MainWindowGui, ButtonsMenusAndTheListReachTheirCommands) {
    send(wxEVT_MENU, CommandId::NewTheme);
    ASSERT_EQ(list()->GetItemCount(), 25);
    for (int id : {SaveTheme, UploadTheme, ExtendedCheck, PlaySound, ChangeSound, NoSound})
        EXPECT_EQ(control(id)->IsEnabled(),
                  id == SaveTheme || id == UploadTheme || id == ExtendedCheck)
            << id;
    prompts->files = {themesDir() + "b.kbt", themesDir() + "A.kbt", themesDir() + "b.kbt",
                      themesDir() + "A.kbt"};
    using Command = std::tuple<wxEventType, int, const char*>;
    for (auto [type, id, name] : {Command{wxEVT_BUTTON, SaveTheme, "b.kbt"},
                                  Command{wxEVT_MENU, CommandId::SaveTheme, "A.kbt"},
                                  Command{wxEVT_BUTTON, OpenTheme, "b.kbt"},
                                  Command{wxEVT_MENU, CommandId::OpenTheme, "A.kbt"}}) {
        send(type, id);
        EXPECT_EQ(combo()->GetStringSelection(), name) << id;
    }
    list()->SetItemCount(0); // the pick must fill the list again
    combo()->SetSelection(1);
    send(wxEVT_CHOICE, ThemeList);
    EXPECT_EQ(list()->GetItemCount(), 25);
    EXPECT_EQ(combo()->GetStringSelection(), "b.kbt");

    static_cast<wxCheckBox*>(control(ExtendedCheck))->SetValue(false);
    send(wxEVT_CHECKBOX, ExtendedCheck);
    EXPECT_NE(list()->GetItemTextColour(0), wxColour(0x80, 0x80, 0x80));
    EXPECT_EQ(list()->GetItemTextColour(24), wxColour(0x80, 0x80, 0x80));

    // A row selected with a real click enables the sound commands, which act on it.
    const std::string wave = folder.writeFile("ding.wav", 1500).string();
    frame->logic().OnDropSoundFile(1, wave);
    wxRect row;
    ASSERT_TRUE(list()->GetItemRect(1, row));
    clickAt(list()->ClientToScreen(row.GetPosition() + wxPoint(20, row.height / 2)));
    ASSERT_TRUE(waitUntil([&] { return control(PlaySound)->IsEnabled(); }));
    EXPECT_TRUE(control(ChangeSound)->IsEnabled() && control(NoSound)->IsEnabled());
    send(wxEVT_BUTTON, PlaySound);
    EXPECT_EQ(sound->played.back(), wave);
    prompts->files = {std::nullopt};
    send(wxEVT_BUTTON, ChangeSound);
    EXPECT_TRUE(prompts->files.empty()) << "the sound dialog was not shown";
    send(wxEVT_MENU, CommandId::PopupNoSound);
    EXPECT_EQ(list()->GetItemText(1, 1), "(none)");
}

// What a user meets with real mouse and keyboard input, read back from the real widgets.
class UserInputGui : public MainWindowGui {
protected:
    void SetUp() override {
        MainWindowGui::SetUp();
        // A window manager places and activates the window only after it is shown.
        frame->Raise();
        ASSERT_TRUE(waitUntil([&] { return frame->IsActive(); }));
    }
    // A shown top-level window of the toolkit that matches, if any.
    static GtkWidget* shownWindow(bool (*matches)(GtkWidget*)) {
        GList* windows = gtk_window_list_toplevels();
        GtkWidget* found = nullptr;
        for (GList* item = windows; item; item = item->next)
            if (gtk_widget_get_visible(GTK_WIDGET(item->data)) && matches(GTK_WIDGET(item->data)))
                found = GTK_WIDGET(item->data);
        g_list_free(windows);
        return found;
    }
    // The open menu or drop-down, if any.
    static GtkWidget* openPopup() {
        return shownWindow([](GtkWidget* window) {
            return gtk_window_get_window_type(GTK_WINDOW(window)) == GTK_WINDOW_POPUP;
        });
    }
    bool focusIsIn(int id) const {
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(frame->GetHandle()));
        GtkWidget* widget = control(id)->GetHandle();
        return focus && (focus == widget || gtk_widget_is_ancestor(focus, widget));
    }
    void pressKey(int key) {
        wxUIActionSimulator().Char(key);
        wxYield();
    }
};

TEST_F(UserInputGui, TheThemeListIsOneDropDownShowingTheLibraryAndEscOnlyClosesPopups) {
    prompts->answers = {false};
    EXPECT_EQ(combo()->GetSize().y, control(OpenTheme)->GetSize().y) << "the buttons' height";
    // One control, passed by a single Tab even while the library is empty.
    control(SaveTheme)->Enable();
    control(SaveTheme)->SetFocus();
    ASSERT_TRUE(waitUntil([&] { return focusIsIn(SaveTheme); }));
    pressKey(WXK_TAB);
    EXPECT_TRUE(waitUntil([&] { return focusIsIn(ThemeList); }));
    pressKey(WXK_TAB);
    EXPECT_TRUE(waitUntil([&] { return focusIsIn(Logo); })) << "Tab stays inside the theme list";

    // Themes added since the start are all offered, in a drop-down tall enough for them.
    for (const char* name : {"a.kbt", "b.kbt", "c.kbt"})
        writeBytes(themesDir() + name, memberBytes("theme.dsc", "1\r\nAsterisk\r\n(none)\r\n\r\n"));
    const wxRect rect = combo()->GetScreenRect();
    clickAt(wxPoint(rect.GetRight() - 10, rect.y + rect.height / 2));
    ASSERT_TRUE(waitUntil([] { return openPopup() != nullptr; })) << "the list does not drop down";
    waitUntil([] { return false; }, 300);
    int minimum = 0, natural = 0;
    gtk_widget_get_preferred_height(openPopup(), &minimum, &natural);
    EXPECT_GE(gtk_widget_get_allocated_height(openPopup()), natural) << "items are cut off";
    EXPECT_EQ(combo()->GetCount(), 3u);
    pressKey(WXK_ESCAPE);
    ASSERT_TRUE(waitUntil([] { return openPopup() == nullptr; }));
    const wxRect bar = frame->GetMenuBar()->GetScreenRect();
    clickAt(wxPoint(bar.x + 15, bar.y + bar.height / 2));
    ASSERT_TRUE(waitUntil([] { return openPopup() != nullptr; })) << "the File menu does not open";
    pressKey(WXK_ESCAPE);
    ASSERT_TRUE(waitUntil([] { return openPopup() == nullptr; }));
    waitUntil([] { return false; }, 300);
    EXPECT_TRUE(prompts->questions.empty()) << "Esc that closed a popup asked to exit";
    pressKey(WXK_ESCAPE);
    EXPECT_TRUE(waitUntil([&] { return !prompts->questions.empty(); }));

    // The shown text follows the theme in the editor: none after New Theme.
    combo()->SetSelection(1);
    send(wxEVT_CHOICE, ThemeList);
    EXPECT_EQ(combo()->GetStringSelection(), "b.kbt");
    send(wxEVT_MENU, CommandId::NewTheme);
    EXPECT_EQ(combo()->GetStringSelection(), "");
}

TEST_F(UserInputGui, EveryEventAndFileNameIsReadableInItsColumn) {
    writeBytes(themesDir() + "long.kbt",
               memberBytes("theme.dsc",
                           "3\r\nAsterisk\r\nchime\r\n.wav\r\n_MSN Messenger: Contact online\r\n"
                           "a-notification-sound-with-a-long-name\r\n.wav\r\n"
                           "_MSN Messenger: New message\r\n(none)\r\n\r\n") +
                   memberBytes("a-notification-sound-with-a-long-name.wav", "w"));
    frame->logic().loadTheme(themesDir() + "long.kbt");
    wxYield();
    ASSERT_EQ(list()->GetItemCount(), 3);
    for (int column : {0, 1})
        for (int row = 0; row < 3; ++row) {
            const wxString text = list()->GetItemText(row, column);
            EXPECT_LE(list()->GetTextExtent(text).x + 8, list()->GetColumnWidth(column)) << text;
        }
}

// The dialog opens in the program's folder, the current one, and selects its first entry by
// itself; only what the user then selects is played.
TEST_F(UserInputGui, TheSoundDialogPlaysOnlyWhatTheUserSelects) {
    for (const char* name : {"a.wav", "b.wav", "c.wav"})
        folder.writeFile(name, 100);
    RecordingSoundPlayer preview;
    CSoundFileDialog dialog(preview);
    const wxLongLong started = wxGetLocalTimeMillis();
    wxLongLong selectedAt = 0, lastKey = 0;
    wxTimer driver;
    driver.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        GtkWidget* shown =
            shownWindow([](GtkWidget* w) -> bool { return GTK_IS_FILE_CHOOSER_DIALOG(w); });
        const auto now = wxGetLocalTimeMillis();
        if (!shown || (selectedAt != 0 && now - selectedAt < 500))
            return;
        if (selectedAt == 0) {
            gchar* selected = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(shown));
            g_free(selected);
            if (selected || now - started > 3000)
                selectedAt = now;
            gtk_window_present(GTK_WINDOW(shown));
        } else if (lastKey == 0 && !preview.played.empty()) {
            ADD_FAILURE() << "played " << preview.played.front() << " before any key";
            gtk_dialog_response(GTK_DIALOG(shown), GTK_RESPONSE_CANCEL);
        } else if (preview.played.empty() && now - selectedAt < 5000) {
            // The user walks down the list until a wave file plays; folders play nothing.
            if (now - lastKey >= 300 && gtk_window_is_active(GTK_WINDOW(shown))) {
                lastKey = now;
                wxUIActionSimulator().Char(WXK_DOWN);
            }
        } else {
            gtk_dialog_response(GTK_DIALOG(shown), GTK_RESPONSE_CANCEL);
        }
    });
    driver.Start(50);
    EXPECT_EQ(WxPrompts(frame).chooseSoundFile(dialog), std::nullopt);
    EXPECT_EQ(preview.played.size(), 1u) << "a file the user selects is played";
}
