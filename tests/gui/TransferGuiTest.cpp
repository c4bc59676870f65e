// A progress dialog as the user meets it, read back from its real widgets, over a virtual handheld
// slow enough to follow; and the window over SynCE's library.
#include "GuiFixture.h"
#include "device/VirtualHandheld.h"
#include "support/FactoryImage.h"
#include "ui/wx/AboutDialog.h"

#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <dlfcn.h>
#include <thread>

static std::string textOf(const wxWindow& dialog) {
    for (const wxWindow* child : dialog.GetChildren())
        if (const auto* text = dynamic_cast<const wxStaticText*>(child))
            return text->GetLabel().utf8_string();
    return {};
}

// The main window over a virtual handheld that takes delayMs to move each chunk; the first
// start's backup runs at full speed.
class ProgressDialogGui : public MainWindowGui {
protected:
    static inline std::atomic<int> delayMs{0};
    struct SlowHandheld : VirtualHandheld {
        using VirtualHandheld::VirtualHandheld;
        bool CeReadFile(Rapi::Handle file, void* to, std::uint32_t size,
                        std::uint32_t* read) override {
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs.load()));
            return VirtualHandheld::CeReadFile(file, to, size, read);
        }
    };
    void SetUp() override {
        delayMs = 0;
        ASSERT_EQ(makeFactoryImage(folder.path() / "device"), 0);
        device = [this] { return std::make_unique<SlowHandheld>(folder.path() / "device"); };
        MainWindowGui::SetUp();
    }
};

// Cancel pressed with Esc while the second file is copied: the button says it was heard, and the
// download ends after that file. The dialog is modal over the main
// window, and only its worker ends it.
TEST_F(ProgressDialogGui, CancelStopsADownloadAfterTheCurrentFile) {
    delayMs = 400; // time enough to see the button change before the file is done
    int escapedAt = 0, tick = 0;
    bool acknowledged = false, hintsChecked = false;
    const auto driver = ticking(
        [&] {
            ProgressDialog* dialog = shownTopLevel<ProgressDialog>();
            if (!dialog)
                return;
            ++tick;
            auto* cancel =
                dynamic_cast<wxButton*>(dialog->FindWindow(ProgressDialog::CancelButtonId));
            ASSERT_TRUE(cancel);
            if (!std::exchange(hintsChecked, true)) {
                EXPECT_FALSE(frame->IsEnabled()) << "the main window waits";
                GtkWindow* window = GTK_WINDOW(dialog->GetHandle());
                EXPECT_EQ(gtk_window_get_type_hint(window), GDK_WINDOW_TYPE_HINT_DIALOG);
                EXPECT_EQ(gtk_window_get_transient_for(window), GTK_WINDOW(frame->GetHandle()));
                EXPECT_TRUE(gtk_window_get_modal(window));
                // A title and a border; no minimise, maximise or close box.
                GdkWMDecoration decorations{};
                ASSERT_TRUE(gdk_window_get_decorations(gtk_widget_get_window(dialog->GetHandle()),
                                                       &decorations));
                EXPECT_EQ(decorations, GDK_DECOR_BORDER | GDK_DECOR_TITLE);
                // Neither Enter, a close request nor the end of the session end the transfer or
                // ask to exit over it.
                wxKeyEvent enter(wxEVT_CHAR_HOOK);
                enter.m_keyCode = WXK_RETURN;
                dialog->ProcessWindowEvent(enter);
                dialog->Close();
                wxCloseEvent endSession(wxEVT_QUERY_END_SESSION);
                endSession.SetCanVeto(true);
                wxTheApp->ProcessEvent(endSession);
                EXPECT_TRUE(endSession.GetVeto());
                frame->Close();
                EXPECT_TRUE(dialog->IsShown() && frame->IsShown());
            }
            // Esc is Cancel, as the button says.
            if (!escapedAt && textOf(*dialog).find("(2 of ") != std::string::npos) {
                wxUIActionSimulator().Char(WXK_ESCAPE);
                escapedAt = tick;
            } else if (escapedAt && escapedAt < tick) {
                acknowledged = acknowledged ||
                               (!cancel->IsEnabled() &&
                                cancel->GetLabel().utf8_string() == ProgressDialog::StoppingLabel);
            }
        },
        20);
    send(wxEVT_BUTTON, ControlId::DownloadTheme);

    // Heard only where the dialog was seen, so its hints were checked too.
    EXPECT_TRUE(acknowledged) << "the button did not show that Cancel was heard";
    EXPECT_TRUE(frame->IsEnabled());
}

// Belltide as a Linux user with SynCE starts it: no BELLTIDE_DEVICE, and the library found (ours
// here, named as a user would name one that lies elsewhere). The first start backs up the
// handheld it serves, Download and Upload reach it, and the About box says which handheld this
// is. No call comes from the window's own thread.
class SynceGui : public MainWindowGui {
protected:
    void SetUp() override {
        ASSERT_EQ(makeFactoryImage(folder.path() / "handheld"), 0);
        unsetenv("BELLTIDE_DEVICE");
        setenv("BELLTIDE_RAPI_LIBRARY", BELLTIDE_SYNCE_LIBRARY, 1);
        setenv("BELLTIDE_RAPI_DEVICE", pcText(folder.path() / "handheld").c_str(), 1);
        MainWindowGui::SetUp();
    }
    void TearDown() override {
        MainWindowGui::TearDown();
        unsetenv("BELLTIDE_RAPI_LIBRARY");
        unsetenv("BELLTIDE_RAPI_DEVICE");
    }
    // The calls the library saw made on this, the window's thread.
    unsigned callsHere() const {
        return reinterpret_cast<std::uint32_t (*)()>(
            dlsym(library.get(), "BelltideRapiCallsOnThisThread"))();
    }
    const std::shared_ptr<void> library{dlopen(BELLTIDE_SYNCE_LIBRARY, RTLD_NOW | RTLD_LOCAL),
                                        [](void* handle) { handle&& dlclose(handle); }};
    const unsigned callsHereBefore = callsHere();
};

TEST_F(SynceGui, BacksUpDownloadsAndUploadsTheHandheldItServes) {
    EXPECT_EQ(combo()->GetStringSelection(), "initialBackup.kbt");
    for (auto [id, status] : {std::pair{ControlId::DownloadTheme, "Sounds imported"},
                              std::pair{ControlId::UploadTheme, "Sounds exported"}}) {
        send(wxEVT_BUTTON, id);
        EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), status);
    }
    EXPECT_TRUE(prompts->messages.empty());
    EXPECT_EQ(callsHere(), callsHereBefore);
    std::string about;
    const auto reader = ticking([&] {
        if (auto* box = shownTopLevel<AboutDialog>(); box && box->IsModal()) {
            about = textOf(*box);
            box->EndModal(wxID_OK);
        }
    });
    send(wxEVT_MENU, CommandId::About);
    EXPECT_NE(about.find("SynCE connects"), std::string::npos) << about;
}
