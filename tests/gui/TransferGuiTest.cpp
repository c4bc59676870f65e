// Download and Upload through the real buttons and progress dialogs, against a virtual handheld.
#include "device/VirtualHandheld.h"
#include "support/ArchiveBytes.h"
#include "support/FactoryImage.h"
#include "support/FakeControls.h"
#include "support/TempFolder.h"
#include "ui/ControlIds.h"
#include "ui/wx/BelltideFrame.h"
#include "ui/wx/ProgressDialog.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/ctrlsub.h>
#include <wx/dialog.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/statusbr.h>
#include <wx/utils.h>

#include <condition_variable>
#include <mutex>

namespace fs = std::filesystem;

namespace {

// A handheld whose answer to a connection request waits while the test holds it back.
class HeldDevice : public VirtualHandheld {
public:
    struct Gate {
        std::mutex mutex;
        std::condition_variable opened;
        bool held = false;
        void hold() {
            std::lock_guard lock(mutex);
            held = true;
        }
        void release() {
            {
                std::lock_guard lock(mutex);
                held = false;
            }
            opened.notify_all();
        }
    };

    HeldDevice(fs::path folder, Gate& gate) : VirtualHandheld(std::move(folder)), m_gate(gate) {}
    std::shared_ptr<Rapi::InitAttempt> CeRapiInitEx() override {
        std::unique_lock lock(m_gate.mutex);
        m_gate.opened.wait(lock, [this] { return !m_gate.held; });
        return VirtualHandheld::CeRapiInitEx();
    }

private:
    Gate& m_gate;
};

wxDialog* shownProgressDialog() {
    for (wxWindow* window : wxTopLevelWindows)
        if (auto* dialog = dynamic_cast<ProgressDialog*>(window); dialog && dialog->IsShown())
            return dialog;
    return nullptr;
}

} // namespace

class TransferGui : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path device = folder.path() / "device";
        ASSERT_EQ(makeFactoryImage(device), 0);
        auto scripted = std::make_unique<ScriptedPrompts>();
        prompts = scripted.get();
        frame = new BelltideFrame(
            (folder.path() / "belltide").string(), "",
            FrameServices{std::make_unique<RecordingSoundPlayer>(), std::move(scripted),
                          [this, device] { return std::make_unique<HeldDevice>(device, gate); }});
        frame->Show();
        wxYield();
    }
    void TearDown() override {
        frame->Destroy();
        wxTheApp->ProcessIdle();
    }

    void click(int id) {
        wxWindow* button = frame->FindWindow(id);
        wxCommandEvent event(wxEVT_BUTTON, id);
        event.SetEventObject(button);
        button->ProcessWindowEvent(event);
        wxYield();
    }
    std::string status() const { return frame->GetStatusBar()->GetStatusText(0).ToStdString(); }
    wxString themeListText() const {
        return static_cast<wxControlWithItems*>(frame->FindWindow(ControlId::ThemeList))
            ->GetStringSelection();
    }
    int listRows() const {
        return static_cast<wxListCtrl*>(frame->FindWindow(ControlId::EventList))->GetItemCount();
    }

    TempFolder folder;
    HeldDevice::Gate gate;
    BelltideFrame* frame = nullptr;
    ScriptedPrompts* prompts = nullptr;
};

TEST_F(TransferGui, TheFirstStartBacksUpThenDownloadAndUploadRunThroughTheButtons) {
    EXPECT_TRUE(fs::exists(folder.path() / "themes" / "initialBackup.kbt"));
    EXPECT_EQ(listRows(), 25);
    EXPECT_EQ(themeListText(), "initialBackup.kbt");
    fs::remove_all(folder.path() / "themes" / "sounds");
    fs::create_directory(folder.path() / "themes" / "sounds");

    click(ControlId::DownloadTheme);
    EXPECT_EQ(status(), "Sounds imported");
    EXPECT_EQ(listRows(), 25);
    EXPECT_EQ(themeListText(), "") << "the editor's theme is no longer the library's";
    EXPECT_TRUE(fs::exists(folder.path() / "themes" / "sounds" / "alarm1.wav"));

    click(ControlId::UploadTheme);
    EXPECT_EQ(status(), "Sounds exported");
    EXPECT_EQ(readBytes(folder.path() / "device" / "audio-reloads.log").empty(), false);
    EXPECT_TRUE(prompts->messages.empty());
    EXPECT_TRUE(frame->IsEnabled());
}

TEST_F(TransferGui, OnlyItsWorkerEndsARunningProgressDialog) {
    gate.hold();
    bool checked = false;
    frame->CallAfter([&] {
        wxDialog* dialog = shownProgressDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->GetTitle(), "Importing Sounds");
        EXPECT_NE(dynamic_cast<wxGauge*>(dialog->FindWindow(ProgressDialog::ProgressBarId)),
                  nullptr);
        EXPECT_FALSE(dialog->HasFlag(wxCLOSE_BOX) || dialog->HasFlag(wxSYSTEM_MENU));
        EXPECT_FALSE(frame->IsEnabled()) << "the main window waits";
        for (int key : {WXK_ESCAPE, WXK_RETURN}) {
            wxKeyEvent press(wxEVT_CHAR_HOOK);
            press.m_keyCode = key;
            press.SetEventObject(dialog);
            dialog->ProcessWindowEvent(press);
        }
        dialog->Close();
        wxYield();
        EXPECT_EQ(shownProgressDialog(), dialog) << "keys and a close request end nothing";
        checked = true;
        gate.release();
    });
    click(ControlId::DownloadTheme);
    EXPECT_TRUE(checked);
    EXPECT_EQ(shownProgressDialog(), nullptr);
    EXPECT_EQ(status(), "Sounds imported");
}
