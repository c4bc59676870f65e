// Download and Upload through the real buttons and progress dialogs, against a virtual handheld.
#include "device/VirtualHandheld.h"
#include "support/FactoryImage.h"
#include "support/FakeControls.h"
#include "support/TempFolder.h"
#include "ui/ControlIds.h"
#include "ui/wx/BelltideFrame.h"
#include "ui/wx/ProgressDialog.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/statusbr.h>

#include <mutex>

namespace fs = std::filesystem;

// A handheld whose answer to a connection request waits while the test holds the gate.
struct HeldDevice : VirtualHandheld {
    HeldDevice(fs::path folder, std::mutex& held)
        : VirtualHandheld(std::move(folder)), gate(held) {}
    std::shared_ptr<Rapi::InitAttempt> CeRapiInitEx() override {
        std::lock_guard passed(gate);
        return VirtualHandheld::CeRapiInitEx();
    }
    std::mutex& gate;
};

TEST(TransferGui, TheFirstStartBacksUpAndOnlyItsWorkerEndsARunningProgressDialog) {
    TempFolder folder;
    const fs::path device = folder.path() / "device";
    ASSERT_EQ(makeFactoryImage(device), 0);
    std::mutex gate;
    auto scripted = std::make_unique<ScriptedPrompts>();
    const ScriptedPrompts& prompts = *scripted;
    auto* frame = new BelltideFrame(
        (folder.path() / "belltide").string(), "",
        FrameServices{std::make_unique<RecordingSoundPlayer>(), std::move(scripted),
                      [&] { return std::make_unique<HeldDevice>(device, gate); }});
    frame->Show();
    wxYield();
    auto* themes = static_cast<wxChoice*>(frame->FindWindow(ControlId::ThemeList));
    EXPECT_EQ(themes->GetStringSelection(), "initialBackup.kbt");

    gate.lock();
    bool checked = false;
    frame->CallAfter([&] {
        // The worker goes on, but only the event loop, busy here, can end the dialog.
        gate.unlock();
        ProgressDialog* dialog = nullptr;
        for (wxWindow* window : wxTopLevelWindows)
            if (auto* shown = dynamic_cast<ProgressDialog*>(window); shown && shown->IsShown())
                dialog = shown;
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->GetTitle(), "Importing Sounds");
        EXPECT_TRUE(dynamic_cast<wxGauge*>(dialog->FindWindow(ProgressDialog::ProgressBarId)));
        EXPECT_FALSE(dialog->HasFlag(wxCLOSE_BOX) || dialog->HasFlag(wxSYSTEM_MENU));
        EXPECT_FALSE(frame->IsEnabled()) << "the main window waits";
        for (int key : {WXK_ESCAPE, WXK_RETURN}) {
            wxKeyEvent press(wxEVT_CHAR_HOOK);
            press.m_keyCode = key;
            dialog->ProcessWindowEvent(press);
        }
        dialog->Close();
        checked = dialog->IsShown();
    });
    for (auto [id, status] : {std::pair{ControlId::DownloadTheme, "Sounds imported"},
                              std::pair{ControlId::UploadTheme, "Sounds exported"}}) {
        wxCommandEvent event(wxEVT_BUTTON, id);
        event.SetEventObject(frame->FindWindow(id));
        frame->FindWindow(id)->ProcessWindowEvent(event);
        wxYield();
        EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), status);
        // Downloaded sounds are the editor's own theme, no longer the library's.
        EXPECT_EQ(themes->GetStringSelection(), "");
    }
    EXPECT_TRUE(checked) << "keys or a close request ended the dialog";
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(frame->IsEnabled());
    frame->Destroy();
    wxTheApp->ProcessIdle();
}
