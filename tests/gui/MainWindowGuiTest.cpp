#include "support/FakeControls.h"
#include "support/TempFolder.h"
#include "ui/ControlIds.h"
#include "ui/wx/BelltideFrame.h"

#include <gtest/gtest.h>

#include <wx/app.h>

#include <fstream>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/time.h>
#include <wx/uiaction.h>

namespace fs = std::filesystem;

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
        // The start tried to back up a device that is not there.
        prompts->messages.clear();
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
    wxComboBox* combo() const { return static_cast<wxComboBox*>(control(ControlId::ThemeList)); }
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
    comboEvent(wxEVT_COMBOBOX_DROPDOWN);
    ASSERT_EQ(combo()->GetCount(), 2u);
    EXPECT_EQ(combo()->GetString(0), "A.kbt");
    EXPECT_EQ(combo()->GetSelection(), wxNOT_FOUND);

    list()->SetItemCount(0); // the load must fill the list again
    combo()->SetSelection(0);
    comboEvent(wxEVT_COMBOBOX);
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
