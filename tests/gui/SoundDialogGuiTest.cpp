// The native dialogs: the Open dialog of Change Sound and a question, read from
// the toolkit's own widgets.
#include "GuiFixture.h"
#include "ui/CSoundFileDialog.h"
#include "ui/wx/WxControls.h"

#include <wx/modalhook.h>

// Each filter of the chooser by name, with the names of the files it lets through.
static std::string filtersOf(GtkFileChooser* chooser, const std::vector<std::string>& names) {
    std::string filters;
    GSList* list = gtk_file_chooser_list_filters(chooser);
    for (GSList* item = list; item; item = item->next) {
        filters += std::string(gtk_file_filter_get_name(GTK_FILE_FILTER(item->data))) + ":";
        for (const std::string& name : names) {
            GtkFileFilterInfo info{GTK_FILE_FILTER_DISPLAY_NAME, nullptr, nullptr, name.c_str(),
                                   nullptr};
            if (gtk_file_filter_filter(GTK_FILE_FILTER(item->data), &info))
                filters += " " + name;
        }
        filters += "|";
    }
    g_slist_free(list);
    return filters;
}

// The sound dialog's title names the event, the dialog opens in the folder it is given, and both
// filters let sounds through whatever the case of their extension. The dialog selects the first
// entry by itself; only what the user then selects is played. A question shows its icon and its
// buttons, and answers with the one pressed.
TEST_F(MainWindowGui, TheNativeDialogsShowSoundsOfAnyCasePlayOnlyWhatTheUserSelectsAndAnswer) {
    const std::vector<std::string> names{"LOUD.WAV", "quiet.wav", "song.Mp3", "notes.txt"};
    for (const std::string& name : names)
        folder.writeFile("My Sounds/" + name, 10);
    const std::string sounds = pcText(folder.path() / "My Sounds");
    RecordingSoundPlayer preview;
    CSoundFileDialog dialog(preview, CSoundFileDialog::optionsFor("Asterisk", sounds));
    std::string title, openedIn, filters;   // as the dialog shows them once it has settled
    int tick = 0, selectedAt = 0, keys = 0; // ticks of 50 ms
    const auto driver = ticking([&] {
        auto* shown =
            shownWindow([](GtkWidget* w) -> bool { return GTK_IS_FILE_CHOOSER_DIALOG(w); });
        if (!shown)
            return;
        GtkFileChooser* chooser = GTK_FILE_CHOOSER(shown);
        g_autofree gchar* selected = gtk_file_chooser_get_filename(chooser);
        if (++tick && !selectedAt && (selected || tick > 60)) {
            selectedAt = tick;
            title = gtk_window_get_title(GTK_WINDOW(shown));
            g_autofree gchar* current = gtk_file_chooser_get_current_folder(chooser);
            openedIn = current ? current : "";
            filters = filtersOf(chooser, names);
            gtk_window_present(GTK_WINDOW(shown));
        }
        if (!selectedAt || tick < selectedAt + 10)
            return;
        // The user walks down the list until a sound plays.
        if (preview.played.empty() && tick < selectedAt + 100) {
            if (tick % 6 == 0 && gtk_window_is_active(GTK_WINDOW(shown)))
                ++keys, wxUIActionSimulator().Char(WXK_DOWN);
        } else {
            gtk_dialog_response(GTK_DIALOG(shown), GTK_RESPONSE_CANCEL);
        }
    });
    EXPECT_EQ(WxPrompts(frame).chooseSoundFile(dialog), std::nullopt);
    EXPECT_EQ(title, "Choose a sound for Asterisk");
    EXPECT_EQ(openedIn, sounds);
    EXPECT_EQ(filters, "Sound Files (*.wav, *.mp3, *.ogg, *.opus, *.flac, *.aiff): LOUD.WAV "
                       "quiet.wav song.Mp3|All files: LOUD.WAV quiet.wav song.Mp3 notes.txt|");
    EXPECT_NE(keys, 0) << "played before any key";
    EXPECT_EQ(preview.played.size(), 1u) << "a file the user selects is played";

    // A question carries the question icon and its buttons, the one pressed is the answer, and
    // the hooks that hold back work while a modal dialog is open see it.
    struct Watch : wxModalDialogHook {
        int Enter(wxDialog*) override { return ++entered, wxID_NONE; }
        void Exit(wxDialog*) override {}
        int entered = 0;
    } watch;
    watch.Register();
    for (const auto& [press, answer] :
         {std::pair{GTK_RESPONSE_YES, Answer::Yes}, std::pair{GTK_RESPONSE_NO, Answer::No},
          std::pair{GTK_RESPONSE_CANCEL, Answer::Cancel}}) {
        std::string icon, buttons;
        const auto presser = ticking([&, press = press] {
            GtkWidget* box =
                shownWindow([](GtkWidget* w) -> bool { return GTK_IS_MESSAGE_DIALOG(w); });
            if (!box)
                return;
            G_GNUC_BEGIN_IGNORE_DEPRECATIONS
            GtkWidget* image = gtk_message_dialog_get_image(GTK_MESSAGE_DIALOG(box));
            G_GNUC_END_IGNORE_DEPRECATIONS
            const gchar* name = nullptr;
            if (image && gtk_widget_get_visible(image))
                gtk_image_get_icon_name(GTK_IMAGE(image), &name, nullptr);
            icon = name ? name : "";
            for (GtkResponseType response :
                 {GTK_RESPONSE_YES, GTK_RESPONSE_NO, GTK_RESPONSE_CANCEL})
                if (GtkWidget* button =
                        gtk_dialog_get_widget_for_response(GTK_DIALOG(box), response))
                    buttons += gtk_button_get_label(GTK_BUTTON(button));
            gtk_button_clicked(
                GTK_BUTTON(gtk_dialog_get_widget_for_response(GTK_DIALOG(box), press)));
        });
        EXPECT_EQ(WxPrompts(nullptr).askYesNoCancel("Save the changes?"), answer);
        EXPECT_EQ(icon, "dialog-question");
        EXPECT_EQ(buttons, "_Yes_No_Cancel");
    }
    EXPECT_EQ(watch.entered, 3);
}
