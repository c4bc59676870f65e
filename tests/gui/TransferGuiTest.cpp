// A progress dialog as the user meets it, read back from its real widgets, over a virtual handheld
// slow enough to follow.
#include "device/VirtualHandheld.h"
#include "support/FactoryImage.h"
#include "support/FakeControls.h"
#include "support/TempFolder.h"
#include "transfer/CProgressDlg.h"
#include "ui/ControlIds.h"
#include "ui/wx/BelltideFrame.h"
#include "ui/wx/ProgressDialog.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <gtk/gtk.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

// A virtual handheld that takes its time to answer a connection and to move each chunk.
struct SlowHandheld : VirtualHandheld {
    SlowHandheld(fs::path folder, const std::atomic<int>& delayMs)
        : VirtualHandheld(std::move(folder)), delay(delayMs) {}
    std::shared_ptr<Rapi::InitAttempt> CeRapiInitEx() override {
        std::this_thread::sleep_for(std::chrono::milliseconds(delay.load()));
        return VirtualHandheld::CeRapiInitEx();
    }
    bool CeReadFile(Rapi::Handle file, void* to, std::uint32_t size, std::uint32_t* read) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(delay.load()));
        return VirtualHandheld::CeReadFile(file, to, size, read);
    }
    const std::atomic<int>& delay;
};

ProgressDialog* shownProgressDialog() {
    for (wxWindow* window : wxTopLevelWindows)
        if (auto* dialog = dynamic_cast<ProgressDialog*>(window); dialog && dialog->IsShown())
            return dialog;
    return nullptr;
}

std::string textOf(const wxWindow& dialog) {
    for (const wxWindow* child : dialog.GetChildren())
        if (const auto* text = dynamic_cast<const wxStaticText*>(child))
            return text->GetLabel().utf8_string();
    return {};
}

// How far the bar is drawn filled on screen: in its fullest row, the pixels unlike that row's
// empty end.
int filledPixels(const wxWindow& bar) {
    const wxRect at = bar.GetScreenRect();
    GdkPixbuf* shot =
        gdk_pixbuf_get_from_window(gdk_get_default_root_window(), at.x, at.y, at.width, at.height);
    if (!shot)
        return -1;
    const int step = gdk_pixbuf_get_n_channels(shot);
    int filled = 0;
    for (int y = 0; y < at.height; ++y) {
        const guchar* row = gdk_pixbuf_get_pixels(shot) + gdk_pixbuf_get_rowstride(shot) * y;
        const guchar* empty = row + step * (at.width - 6);
        int inRow = 0;
        for (int x = 0; x < at.width; ++x)
            inRow +=
                std::abs(row[x * step] - empty[0]) + std::abs(row[x * step + 2] - empty[2]) > 60;
        filled = std::max(filled, inRow);
    }
    g_object_unref(shot);
    return filled;
}

} // namespace

class ProgressDialogGui : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(makeFactoryImage(folder.path() / "device"), 0);
        fs::create_directory_symlink(fs::path(BELLTIDE_BUILD_DIR) / "artwork",
                                     folder.path() / "artwork");
        auto prompts = std::make_unique<ScriptedPrompts>();
        RemoteDeviceFactory device = [this] {
            return std::make_unique<SlowHandheld>(folder.path() / "device", delayMs);
        };
        frame = new BelltideFrame(
            pcText(folder.path() / "belltide"), "",
            FrameServices{std::make_unique<RecordingSoundPlayer>(), std::move(prompts), device});
        frame->Show();
        wxYield(); // the first start's backup, at full speed
    }
    void TearDown() override {
        frame->Destroy();
        wxTheApp->ProcessIdle();
    }

    TempFolder folder;
    std::atomic<int> delayMs{0};
    BelltideFrame* frame = nullptr;
};

// Cancel clicked with the mouse while the second file is copied: the button says it was heard,
// the download ends after that file, and the editor keeps the theme it showed.
TEST_F(ProgressDialogGui, CancelStopsADownloadAfterTheCurrentFile) {
    auto* themes = static_cast<wxChoice*>(frame->FindWindow(ControlId::ThemeList));
    ASSERT_EQ(themes->GetStringSelection(), "initialBackup.kbt");
    delayMs = 400; // time enough to see the button change before the file is done
    std::vector<std::string> texts;
    int clickAt = 0, tick = 0;
    bool acknowledged = false, hintsChecked = false, keysPressed = false;
    int drawnFirst = 0, drawnSecond = 0; // while the first file and the second are copied
    wxTimer driver;
    driver.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        ProgressDialog* dialog = shownProgressDialog();
        if (!dialog)
            return;
        ++tick;
        if (const std::string text = textOf(*dialog); texts.empty() || texts.back() != text)
            texts.push_back(text);
        auto* cancel = static_cast<wxButton*>(dialog->FindWindow(ProgressDialog::CancelButtonId));
        ASSERT_NE(cancel, nullptr);
        if (!hintsChecked) {
            hintsChecked = true;
            GtkWindow* window = GTK_WINDOW(dialog->GetHandle());
            EXPECT_EQ(gtk_window_get_type_hint(window), GDK_WINDOW_TYPE_HINT_DIALOG);
            EXPECT_EQ(gtk_window_get_transient_for(window), GTK_WINDOW(frame->GetHandle()));
            EXPECT_TRUE(gtk_window_get_modal(window));
            // A title and a border; no minimise, maximise or close box.
            GdkWMDecoration decorations{};
            ASSERT_TRUE(gdk_window_get_decorations(gtk_widget_get_window(dialog->GetHandle()),
                                                   &decorations));
            EXPECT_EQ(decorations, GDK_DECOR_BORDER | GDK_DECOR_TITLE);
        }
        wxWindow* bar = dialog->FindWindow(ProgressDialog::ProgressBarId);
        if (texts.back().find("(1 of ") != std::string::npos) {
            drawnFirst = filledPixels(*bar);
            // Neither key is Cancel: the dialog stays as the user left it.
            if (!keysPressed && dialog->IsActive()) {
                keysPressed = true;
                wxUIActionSimulator().Char(WXK_ESCAPE);
                wxUIActionSimulator().Char(WXK_RETURN);
            }
        }
        if (!clickAt && texts.back().find("(2 of ") != std::string::npos) {
            wxUIActionSimulator().MouseMove(
                cancel->GetScreenPosition() +
                wxPoint(cancel->GetSize().x / 2, cancel->GetSize().y / 2));
            clickAt = tick + 1; // once the pointer is there
        } else if (clickAt == tick) {
            wxUIActionSimulator().MouseClick();
        } else if (clickAt && clickAt < tick) {
            drawnSecond = filledPixels(*bar);
            acknowledged =
                acknowledged || (!cancel->IsEnabled() &&
                                 cancel->GetLabel().utf8_string() == ProgressDialog::StoppingLabel);
        }
    });
    driver.Start(20);
    wxCommandEvent click(wxEVT_BUTTON, ControlId::DownloadTheme);
    click.SetEventObject(frame->FindWindow(ControlId::DownloadTheme));
    frame->FindWindow(ControlId::DownloadTheme)->ProcessWindowEvent(click);
    driver.Stop();

    EXPECT_TRUE(hintsChecked);
    EXPECT_TRUE(acknowledged) << "the button did not show that Cancel was heard";
    EXPECT_GT(drawnFirst, 0);
    EXPECT_GT(drawnSecond, drawnFirst) << "the bar on screen did not move";
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "Sounds not imported");
    EXPECT_EQ(themes->GetStringSelection(), "initialBackup.kbt");
    const auto copying = std::find_if(texts.begin(), texts.end(), [](const std::string& text) {
        return text.rfind("Copying ", 0) == 0;
    });
    EXPECT_LT(std::find(texts.begin(), texts.end(), WaitingText), copying)
        << "the wait for the connection was not shown before the copies";
    // The click lands while file 2 or, on a slow machine, file 3 is copied; none is started after.
    EXPECT_TRUE(texts.back().find("(2 of 19)") != std::string::npos ||
                texts.back().find("(3 of 19)") != std::string::npos)
        << texts.back();
}
