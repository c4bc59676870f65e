#include "support/ArchiveBytes.h"
#include "support/FakeControls.h"
#include "support/TempFolder.h"
#include "ui/CSoundFileDialog.h"
#include "ui/ControlIds.h"
#include "ui/wx/BelltideFrame.h"
#include "ui/wx/WxControls.h"

#include <gtest/gtest.h>

#include <wx/app.h>

#include <fstream>
#include <functional>
#include <gtk/gtk.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/time.h>
#include <wx/uiaction.h>

namespace fs = std::filesystem;

class MainWindowGui : public ::testing::Test {
protected:
    void SetUp() override { openWindow(""); }

    void openWindow(const std::string& startupTheme) {
        fs::create_directory_symlink(fs::path(BELLTIDE_BUILD_DIR) / "artwork",
                                     folder.path() / "artwork");
        auto scripted = std::make_unique<ScriptedPrompts>();
        auto recorder = std::make_unique<RecordingSoundPlayer>();
        prompts = scripted.get();
        sound = recorder.get();
        frame = new BelltideFrame((folder.path() / "belltide").string(), startupTheme,
                                  FrameServices{std::move(recorder), std::move(scripted), {}});
        frame->Show();
        wxYield();
        // The start tried to back up a device that is not there.
        std::erase(prompts->messages, "Couldn't establish a connection to the device. Check "
                                      "Activesync connection");
    }

    void TearDown() override {
        if (!closing())
            frame->Destroy();
        wxTheApp->ProcessIdle();
    }

    bool closing() const { return wxTheApp->IsScheduledForDestruction(frame); }

    wxWindow* control(int id) const {
        wxWindow* window = frame->FindWindow(id);
        EXPECT_NE(window, nullptr) << "no control " << id;
        return window;
    }

    TempFolder folder;
    BelltideFrame* frame = nullptr;
    ScriptedPrompts* prompts = nullptr;
    RecordingSoundPlayer* sound = nullptr;
};

TEST_F(MainWindowGui, StartsWithTheControlsOfTheTemplateInTheirFirstState) {
    EXPECT_EQ(frame->GetTitle(), "Belltide");
    EXPECT_FALSE(frame->HasFlag(wxRESIZE_BORDER));
    for (int id : {ControlId::ChangeSound, ControlId::PlaySound, ControlId::UploadTheme,
                   ControlId::NoSound, ControlId::SaveTheme, ControlId::ExtendedCheck})
        EXPECT_FALSE(control(id)->IsEnabled()) << "control " << id;
    for (int id : {ControlId::Close, ControlId::DownloadTheme, ControlId::OpenTheme,
                   ControlId::ThemeList, ControlId::Logo, ControlId::EventList})
        EXPECT_TRUE(control(id)->IsEnabled()) << "control " << id;
    EXPECT_TRUE(static_cast<wxCheckBox*>(control(ControlId::ExtendedCheck))->GetValue());
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "Welcome to Belltide");
    EXPECT_EQ(control(ControlId::Close)->GetLabel(), "Close");
    EXPECT_EQ(control(ControlId::ExtendedCheck)->GetLabel(), "Upload extended notifications");
    EXPECT_TRUE(fs::is_directory(folder.path() / "themes" / "sounds"));
    EXPECT_EQ(sound->played, std::vector<std::string>{"Belltide.wav"});

    auto* list = static_cast<wxListCtrl*>(control(ControlId::EventList));
    ASSERT_EQ(list->GetColumnCount(), 3);
    EXPECT_EQ(list->GetItemCount(), 0);
    const char* headings[] = {"Events", "Sounds", "Size"};
    const int widths[] = {130, 130, 80};
    for (int column = 0; column < 3; ++column) {
        wxListItem item;
        item.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_FORMAT);
        list->GetColumn(column, item);
        EXPECT_EQ(item.GetText(), headings[column]);
        EXPECT_EQ(list->GetColumnWidth(column), widths[column]);
        EXPECT_EQ(item.GetAlign(), column == 2 ? wxLIST_FORMAT_RIGHT : wxLIST_FORMAT_LEFT);
    }
}

TEST_F(MainWindowGui, ControlsLieInsideTheWindowWithoutOverlapping) {
    const wxRect client(frame->GetClientSize());
    std::vector<wxRect> rects;
    for (int id : {ControlId::Close, ControlId::EventList, ControlId::ChangeSound,
                   ControlId::PlaySound, ControlId::UploadTheme, ControlId::DownloadTheme,
                   ControlId::NoSound, ControlId::OpenTheme, ControlId::SaveTheme,
                   ControlId::ThemeList, ControlId::ExtendedCheck, ControlId::Logo}) {
        const wxRect rect = control(id)->GetRect();
        EXPECT_TRUE(client.Contains(rect)) << "control " << id << " leaves the window";
        for (const auto& other : rects)
            EXPECT_FALSE(rect.Intersects(other)) << "control " << id << " overlaps another";
        rects.push_back(rect);
    }
}

TEST_F(MainWindowGui, EveryWayOfClosingAsksTheExitQuestion) {
    const std::string exitQuestion = "Are you absolutely sure you want to exit Belltide?";
    prompts->answers = {false, false, false, false, true};

    wxCommandEvent closeButton(wxEVT_BUTTON, ControlId::Close);
    control(ControlId::Close)->ProcessWindowEvent(closeButton);
    wxCommandEvent exitMenu(wxEVT_MENU, BelltideFrame::menuId(CommandId::Exit));
    frame->ProcessWindowEvent(exitMenu);
    wxKeyEvent escape(wxEVT_CHAR_HOOK);
    escape.m_keyCode = WXK_ESCAPE;
    frame->ProcessWindowEvent(escape);
    wxKeyEvent enter(wxEVT_CHAR_HOOK);
    enter.m_keyCode = WXK_RETURN;
    control(ControlId::EventList)->SetFocus();
    frame->ProcessWindowEvent(enter);
    wxYield();
    EXPECT_EQ(prompts->questions, std::vector<std::string>(4, exitQuestion));
    EXPECT_FALSE(closing()) << "No keeps the window open";

    frame->Close();
    EXPECT_EQ(prompts->questions.size(), 5u);
    EXPECT_TRUE(closing());
}

class ThemeCommandsGui : public MainWindowGui {
protected:
    void click(int id) {
        wxCommandEvent event(wxEVT_BUTTON, id);
        event.SetEventObject(control(id));
        control(id)->ProcessWindowEvent(event);
        wxYield();
    }
    void menu(int command) {
        wxCommandEvent event(wxEVT_MENU, BelltideFrame::menuId(command));
        frame->ProcessWindowEvent(event);
        wxYield();
    }
    void comboEvent(wxEventType type) {
        wxCommandEvent event(type, ControlId::ThemeList);
        event.SetEventObject(combo());
        combo()->ProcessWindowEvent(event);
        wxYield();
    }
    // A real mouse click on the row, as the user makes it.
    void clickRow(int row) {
        wxRect rect;
        ASSERT_TRUE(list()->GetItemRect(row, rect));
        wxUIActionSimulator mouse;
        mouse.MouseMove(list()->ClientToScreen(rect.GetPosition() + wxPoint(20, rect.height / 2)));
        wxYield();
        mouse.MouseClick();
        const auto deadline = wxGetLocalTimeMillis() + 3000;
        while (list()->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED) != row &&
               wxGetLocalTimeMillis() < deadline)
            wxYield();
    }

    wxListCtrl* list() const { return static_cast<wxListCtrl*>(control(ControlId::EventList)); }
    wxChoice* combo() const { return static_cast<wxChoice*>(control(ControlId::ThemeList)); }
    std::string themesDir() const { return frame->logic().folders().themesDir; }
};

TEST_F(ThemeCommandsGui, NewSaveAndOpenWorkInTheRealWindow) {
    menu(CommandId::NewTheme);
    ASSERT_EQ(list()->GetItemCount(), 25);
    EXPECT_EQ(list()->GetItemText(0, 0), "Asterisk");
    EXPECT_EQ(list()->GetItemText(24, 0), "_lowbatt");
    EXPECT_EQ(list()->GetItemText(3, 1), "(none)");
    EXPECT_EQ(list()->GetItemText(3, 2), "");
    EXPECT_TRUE(control(ControlId::SaveTheme)->IsEnabled());
    EXPECT_TRUE(control(ControlId::UploadTheme)->IsEnabled());
    EXPECT_TRUE(control(ControlId::ExtendedCheck)->IsEnabled());

    prompts->files = {themesDir() + "gui.kbt"};
    click(ControlId::SaveTheme);
    EXPECT_TRUE(fs::exists(themesDir() + "gui.kbt"));
    EXPECT_EQ(combo()->GetStringSelection(), "gui.kbt");

    prompts->files = {themesDir() + "gui.kbt"};
    menu(CommandId::OpenTheme);
    EXPECT_EQ(list()->GetItemCount(), 25);
    EXPECT_EQ(combo()->GetStringSelection(), "gui.kbt");
    EXPECT_TRUE(prompts->questions.empty());
}

TEST_F(ThemeCommandsGui, TheThemeListRefillsOnDropDownAndLoadsThePick) {
    menu(CommandId::NewTheme);
    prompts->files = {themesDir() + "b.kbt"};
    menu(CommandId::SaveTheme);
    fs::copy_file(themesDir() + "b.kbt", themesDir() + "A.kbt");
    frame->logic().OnThemeDropDown();
    ASSERT_EQ(combo()->GetCount(), 2u);
    EXPECT_EQ(combo()->GetString(0), "A.kbt");
    EXPECT_EQ(combo()->GetSelection(), wxNOT_FOUND);

    list()->SetItemCount(0); // the load must fill the list again
    combo()->SetSelection(0);
    comboEvent(wxEVT_CHOICE);
    EXPECT_EQ(list()->GetItemCount(), 25);
    EXPECT_EQ(combo()->GetStringSelection(), "A.kbt");
}

TEST_F(ThemeCommandsGui, SoundCommandsActOnTheRowSelectedInTheRealList) {
    menu(CommandId::NewTheme);
    fs::path wave = folder.path() / "ding.wav";
    std::ofstream(wave) << std::string(1500, 'd');
    frame->logic().OnDropSoundFile(1, wave.string());
    EXPECT_EQ(list()->GetItemText(1, 1), "ding.wav");
    EXPECT_EQ(list()->GetItemText(1, 2), "2 KB");

    click(ControlId::PlaySound);
    EXPECT_EQ(prompts->messages, std::vector<std::string>{"No sound selected"});

    clickRow(1);
    EXPECT_TRUE(control(ControlId::PlaySound)->IsEnabled());
    EXPECT_TRUE(control(ControlId::NoSound)->IsEnabled());
    click(ControlId::PlaySound);
    EXPECT_EQ(sound->played.back(), wave.string());

    menu(CommandId::PopupNoSound);
    EXPECT_EQ(list()->GetItemText(1, 1), "(none)");
    EXPECT_EQ(list()->GetItemText(1, 2), "");
    const auto playedBefore = sound->played.size();
    menu(CommandId::PopupPlay);
    EXPECT_EQ(sound->played.size(), playedBefore) << "nothing to play";
}

TEST_F(ThemeCommandsGui, UncheckingDrawsNotificationRowsInGrey) {
    menu(CommandId::NewTheme);
    auto* check = static_cast<wxCheckBox*>(control(ControlId::ExtendedCheck));
    check->SetValue(false);
    wxCommandEvent toggled(wxEVT_CHECKBOX, ControlId::ExtendedCheck);
    toggled.SetEventObject(check);
    check->ProcessWindowEvent(toggled);
    wxYield();
    const wxColour grey(0x80, 0x80, 0x80);
    EXPECT_NE(list()->GetItemTextColour(0), grey) << list()->GetItemText(0);
    EXPECT_EQ(list()->GetItemTextColour(14), grey) << list()->GetItemText(14);
    EXPECT_EQ(list()->GetItemTextColour(24), grey) << list()->GetItemText(24);
}

// What a user meets with real mouse and keyboard input, read back from the real widgets.
class UserInputGui : public ThemeCommandsGui {
protected:
    void SetUp() override {
        ThemeCommandsGui::SetUp();
        // A window manager places and activates the window only after it is shown.
        frame->Raise();
        ASSERT_TRUE(waitUntil([&] { return frame->IsActive(); }));
    }

    // Runs the event loop until the condition holds; false when the time ran out first.
    static bool waitUntil(const std::function<bool()>& condition, int milliseconds = 3000) {
        const auto deadline = wxGetLocalTimeMillis() + milliseconds;
        while (!condition()) {
            if (wxGetLocalTimeMillis() >= deadline)
                return false;
            wxYield();
            wxMilliSleep(10);
        }
        return true;
    }
    // Runs the event loop for a while, for things that must not happen.
    static void runFor(int milliseconds) {
        waitUntil([] { return false; }, milliseconds);
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

    // True when the keyboard focus is on the control or on a part of it.
    bool focusIsIn(wxWindow* window) const {
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(frame->GetHandle()));
        return focus &&
               (focus == window->GetHandle() || gtk_widget_is_ancestor(focus, window->GetHandle()));
    }

    void clickAt(const wxPoint& screen) {
        wxUIActionSimulator mouse;
        mouse.MouseMove(screen);
        wxYield();
        mouse.MouseClick();
        wxYield();
    }
    void clickThemeList() {
        const wxRect rect = combo()->GetScreenRect();
        clickAt(wxPoint(rect.GetRight() - 10, rect.y + rect.height / 2));
    }
    void pressKey(int key) {
        wxUIActionSimulator keyboard;
        keyboard.Char(key);
        wxYield();
    }
    void closePopupWithEscape() {
        pressKey(WXK_ESCAPE);
        ASSERT_TRUE(waitUntil([] { return openPopup() == nullptr; }));
    }

    void writeTheme(const std::string& name, const std::string& descriptor) {
        writeBytes(themesDir() + name, memberBytes("theme.dsc", descriptor));
    }
    void writeSilentTheme(const std::string& name) {
        writeTheme(name, "1\r\nAsterisk\r\n(none)\r\n\r\n");
    }
    // As the user does: the list drops down, the user picks.
    void pickTheme(const std::string& name) {
        frame->logic().OnThemeDropDown();
        combo()->SetStringSelection(name);
        frame->logic().OnThemeSelChange();
        wxYield();
    }
};

TEST_F(UserInputGui, TheThemeListIsOneDropDownShowingTheLibraryAndEscOnlyClosesPopups) {
    prompts->answers = {false};
    // One control of the buttons' height, passed by a single Tab.
    EXPECT_EQ(combo()->GetSize().y, control(ControlId::OpenTheme)->GetSize().y);
    control(ControlId::SaveTheme)->Enable();
    control(ControlId::SaveTheme)->SetFocus();
    ASSERT_TRUE(waitUntil([&] { return focusIsIn(control(ControlId::SaveTheme)); }));
    pressKey(WXK_TAB);
    EXPECT_TRUE(waitUntil([&] { return focusIsIn(combo()); }));
    pressKey(WXK_TAB);
    // The check box is off, so the logo is next.
    EXPECT_TRUE(waitUntil([&] { return focusIsIn(control(ControlId::Logo)); }))
        << "Tab stays inside the theme list";

    // The library started empty; themes added since are all offered at the first drop-down.
    writeSilentTheme("a.kbt");
    writeSilentTheme("b.kbt");
    clickThemeList();
    ASSERT_TRUE(waitUntil([] { return openPopup() != nullptr; })) << "the list does not drop down";
    EXPECT_EQ(combo()->GetCount(), 2u);
    closePopupWithEscape();

    writeSilentTheme("c.kbt");
    clickThemeList();
    ASSERT_TRUE(waitUntil([] { return openPopup() != nullptr; }));
    runFor(300);
    GtkWidget* popup = openPopup();
    ASSERT_NE(popup, nullptr);
    int minimum = 0, natural = 0;
    gtk_widget_get_preferred_height(popup, &minimum, &natural);
    EXPECT_GE(gtk_widget_get_allocated_height(popup), natural) << "the drop-down cuts items off";
    EXPECT_EQ(combo()->GetCount(), 3u);
    closePopupWithEscape();
    const wxRect bar = frame->GetMenuBar()->GetScreenRect();
    clickAt(wxPoint(bar.x + 15, bar.y + bar.height / 2));
    ASSERT_TRUE(waitUntil([] { return openPopup() != nullptr; })) << "the File menu does not open";
    closePopupWithEscape();
    runFor(300);
    EXPECT_TRUE(prompts->questions.empty()) << "Esc that closed a popup asked to exit";
    // With nothing open, Esc starts the close sequence.
    pressKey(WXK_ESCAPE);
    EXPECT_TRUE(waitUntil([&] { return !prompts->questions.empty(); }));

    // New Theme leaves no theme named in the list.
    pickTheme("b.kbt");
    EXPECT_EQ(combo()->GetStringSelection(), "b.kbt");
    menu(CommandId::NewTheme);
    EXPECT_EQ(combo()->GetStringSelection(), "");
}

TEST_F(UserInputGui, EveryEventAndFileNameIsReadableInItsColumn) {
    const std::string longName = "a-notification-sound-with-a-long-name";
    writeTheme("long.kbt", "3\r\nAsterisk\r\nchime\r\n.wav\r\n_MSN Messenger: Contact online\r\n" +
                               longName +
                               "\r\n.wav\r\n_MSN Messenger: New message\r\n(none)\r\n\r\n");
    pickTheme("long.kbt");
    ASSERT_EQ(list()->GetItemCount(), 3);
    for (int column : {0, 1}) {
        EXPECT_GE(list()->GetColumnWidth(column), 130);
        for (int row = 0; row < 3; ++row) {
            const wxString text = list()->GetItemText(row, column);
            EXPECT_LE(list()->GetTextExtent(text).x + 8, list()->GetColumnWidth(column))
                << text << " is cut off";
        }
    }
}

class DamagedThemeGui : public UserInputGui {
protected:
    void SetUp() override {
        writeBytes(folder.path() / "damaged.kbt", "ZimoPACK");
        openWindow((folder.path() / "damaged.kbt").string());
    }
};

TEST_F(DamagedThemeGui, NeverReachesTheLibraryNorStaysNamedInTheList) {
    ASSERT_EQ(prompts->messages.size(), 1u);
    EXPECT_FALSE(fs::exists(themesDir() + "damaged.kbt"));

    writeSilentTheme("good.kbt");
    fs::copy_file(folder.path() / "damaged.kbt", themesDir() + "bad.kbt");
    pickTheme("good.kbt");
    pickTheme("bad.kbt");
    EXPECT_EQ(prompts->messages.size(), 2u);
    EXPECT_EQ(combo()->GetStringSelection(), "good.kbt");
    EXPECT_EQ(list()->GetItemCount(), 1);
}

TEST_F(UserInputGui, TheSoundDialogPlaysOnlyWhatTheUserSelects) {
    // The dialog opens in the program's folder, the current one, and selects its first entry.
    for (const char* name : {"a.wav", "b.wav", "c.wav"})
        folder.writeFile(name, 100);
    RecordingSoundPlayer preview;
    CSoundFileDialog dialog(preview);
    WxPrompts real(frame);
    const wxLongLong started = wxGetLocalTimeMillis();
    wxLongLong selectedAt = 0, lastKey = 0;
    wxTimer driver;
    driver.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        GtkWidget* shown = shownWindow(
            [](GtkWidget* window) -> bool { return GTK_IS_FILE_CHOOSER_DIALOG(window); });
        if (!shown)
            return;
        const auto now = wxGetLocalTimeMillis();
        if (selectedAt == 0) {
            gchar* selected = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(shown));
            g_free(selected);
            if (selected || now - started > 3000)
                selectedAt = now;
            gtk_window_present(GTK_WINDOW(shown));
            return;
        }
        if (now - selectedAt < 500)
            return;
        if (lastKey == 0) {
            EXPECT_TRUE(preview.played.empty()) << "played " << preview.played.front();
        }
        // The user walks down the list until a wave file plays; folders play nothing.
        if (preview.played.empty() && now - selectedAt < 5000) {
            if (now - lastKey >= 300 && gtk_window_is_active(GTK_WINDOW(shown))) {
                lastKey = now;
                wxUIActionSimulator().Char(WXK_DOWN);
            }
            return;
        }
        driver.Stop();
        gtk_dialog_response(GTK_DIALOG(shown), GTK_RESPONSE_CANCEL);
    });
    driver.Start(50);
    EXPECT_EQ(real.chooseSoundFile(dialog), std::nullopt);
    EXPECT_EQ(preview.played.size(), 1u) << "a file the user selects is played";
}
