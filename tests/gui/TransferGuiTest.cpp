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
#include <wx/listctrl.h>
#include <wx/statusbr.h>

#include <mutex>

namespace fs = std::filesystem;

namespace {

// A handheld whose answer to a connection request waits while the test holds the gate.
class HeldDevice : public VirtualHandheld {
public:
    HeldDevice(fs::path folder, std::mutex& gate)
        : VirtualHandheld(std::move(folder)), m_gate(gate) {}
    std::shared_ptr<Rapi::InitAttempt> CeRapiInitEx() override {
        std::lock_guard passed(m_gate);
        return VirtualHandheld::CeRapiInitEx();
    }

private:
    std::mutex& m_gate;
};

wxDialog* shownProgressDialog() {
    for (wxWindow* window : wxTopLevelWindows)
        if (auto* dialog = dynamic_cast<ProgressDialog*>(window); dialog && dialog->IsShown())
            return dialog;
    return nullptr;
}

} // namespace

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
    const auto rows = [&] {
        return static_cast<wxListCtrl*>(frame->FindWindow(ControlId::EventList))->GetItemCount();
    };
    const auto shownTheme = [&] {
        return static_cast<wxChoice*>(frame->FindWindow(ControlId::ThemeList))
            ->GetStringSelection();
    };
    const auto click = [&](int id) {
        wxCommandEvent event(wxEVT_BUTTON, id);
        event.SetEventObject(frame->FindWindow(id));
        frame->FindWindow(id)->ProcessWindowEvent(event);
        wxYield();
        return frame->GetStatusBar()->GetStatusText(0);
    };
    EXPECT_EQ(rows(), 25);
    EXPECT_EQ(shownTheme(), "initialBackup.kbt");

    gate.lock();
    bool checked = false;
    frame->CallAfter([&] {
        // The worker goes on, but only the event loop, busy here, can end the dialog.
        gate.unlock();
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
            dialog->ProcessWindowEvent(press);
        }
        dialog->Close();
        checked = shownProgressDialog() == dialog;
    });
    EXPECT_EQ(click(ControlId::DownloadTheme), "Sounds imported");
    EXPECT_TRUE(checked) << "keys or a close request ended the dialog";
    EXPECT_EQ(shownTheme(), "") << "the editor's theme is no longer the library's";
    EXPECT_EQ(click(ControlId::UploadTheme), "Sounds exported");
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(frame->IsEnabled());
    frame->Destroy();
    wxTheApp->ProcessIdle();
}
