// The Open dialog of Change Sound, read from the toolkit's own widget.
#include "GuiFixture.h"
#include "ui/CSoundFileDialog.h"
#include "ui/wx/WxControls.h"
#include "ui/wx/WxHelpLauncher.h"

#include <wx/frame.h>
#include <wx/icon.h>
#include <wx/timer.h>

namespace {

// The names of the files the filter lets through.
std::string passed(GtkFileFilter* filter, const std::vector<std::string>& names) {
    std::string through;
    for (const std::string& name : names) {
        GtkFileFilterInfo info{};
        info.contains = GtkFileFilterFlags(GTK_FILE_FILTER_DISPLAY_NAME | GTK_FILE_FILTER_FILENAME);
        info.display_name = name.c_str();
        info.filename = name.c_str();
        if (gtk_file_filter_filter(filter, &info))
            through += name + " ";
    }
    return through;
}

} // namespace

// The title names the event, the dialog opens in the folder it is given, and both filters let
// waves through whatever the case of their extension.
TEST(SoundDialogGui, NamesItsEventOpensInItsFolderAndShowsWavesOfAnyCase) {
    TempFolder folder;
    const std::vector<std::string> names{"LOUD.WAV", "quiet.wav", "notes.txt"};
    for (const std::string& name : names)
        folder.writeFile("My Sounds/" + name, 10);
    const std::string sounds = pcText(folder.path() / "My Sounds");
    RecordingSoundPlayer preview;
    CSoundFileDialog dialog(preview, CSoundFileDialog::optionsFor("Asterisk", sounds));
    std::string title, openedIn, filters; // each filter's name and the files it lets through
    int ticks = 0;
    wxTimer driver;
    driver.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        GtkWidget* shown =
            shownWindow([](GtkWidget* w) -> bool { return GTK_IS_FILE_CHOOSER_DIALOG(w); });
        if (!shown || ++ticks < 5)
            return;
        GtkFileChooser* chooser = GTK_FILE_CHOOSER(shown);
        title = gtk_window_get_title(GTK_WINDOW(shown));
        gchar* current = gtk_file_chooser_get_current_folder(chooser);
        openedIn = current ? current : "";
        g_free(current);
        GSList* list = gtk_file_chooser_list_filters(chooser);
        for (GSList* item = list; item; item = item->next)
            filters += std::string(gtk_file_filter_get_name(GTK_FILE_FILTER(item->data))) + ": " +
                       passed(GTK_FILE_FILTER(item->data), names) + "|";
        g_slist_free(list);
        gtk_dialog_response(GTK_DIALOG(shown), GTK_RESPONSE_CANCEL);
    });
    driver.Start(50);
    EXPECT_EQ(WxPrompts(nullptr).chooseSoundFile(dialog), std::nullopt);
    EXPECT_EQ(title, "Choose a sound for Asterisk");
    EXPECT_EQ(openedIn, sounds);
    EXPECT_EQ(filters,
              "Sound Files (*.wav): LOUD.WAV quiet.wav |All files: LOUD.WAV quiet.wav notes.txt |");
    EXPECT_TRUE(preview.played.empty()) << "nothing is played before the user selects it";
}

// The help viewer carries the icon of the window it was opened from.
TEST(HelpWindowGui, CarriesTheProgramsIcon) {
    auto* owner = new wxFrame(nullptr, wxID_ANY, "Belltide");
    wxIcon icon;
    icon.CopyFromBitmap(wxBitmap(24, 24));
    owner->SetIcon(icon);
    {
        WxHelpLauncher help(owner);
        ASSERT_TRUE(help.loadHelpBook(BELLTIDE_BUILD_DIR "/Belltide.htb"));
        help.showHelpPage("");
        wxTopLevelWindow* viewer = nullptr;
        for (wxWindow* window : wxTopLevelWindows)
            if (window != owner && window->IsShown())
                viewer = wxDynamicCast(window, wxTopLevelWindow);
        ASSERT_TRUE(viewer);
        ASSERT_EQ(viewer->GetIcons().GetIconCount(), 1u) << viewer->GetTitle();
        EXPECT_EQ(viewer->GetIcons().GetIconByIndex(0).GetWidth(), 24);
    }
    owner->Destroy();
    wxTheApp->ProcessIdle();
}
