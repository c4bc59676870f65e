// The progress dialogs' window: a line of text and a bar, no buttons and no close box; only its
// worker's close request ends it.
#pragma once

#include "transfer/ProgressWindow.h"
#include "ui/Controls.h"

#include <wx/dialog.h>

class wxGauge;

class ProgressDialog : public wxDialog, public ProgressWindow {
public:
    static constexpr int ProgressBarId = 1018;

    ProgressDialog(wxWindow* parent, const ProgressDialogTemplate& dialog, Prompts& prompts);

    void setRange(int lower, int upper) override;
    void setStep(int step) override { m_step = step; }
    void stepIt() override;
    void showMessage(const std::string& text) override { m_prompts.showMessage(text); }
    void beginWaitCursor() override { m_prompts.beginWaitCursor(); }
    void endWaitCursor() override { m_prompts.endWaitCursor(); }
    void endModal() override;

private:
    Prompts& m_prompts;
    wxGauge* m_gauge = nullptr;
    int m_lower = 0;
    int m_upper = 100;
    int m_position = 0;
    int m_step = 10;
};

// Runs progress dialogs over the main window; calls reach the UI thread through its events.
class WxProgressWindows : public ProgressWindows {
public:
    WxProgressWindows(wxWindow* owner, Prompts& prompts) : m_owner(owner), m_prompts(prompts) {}
    void runModal(const ProgressDialogTemplate& dialog,
                  const std::function<void(ProgressWindow&)>& onShown) override;
    void callAfter(std::function<void()> call) override;

private:
    wxWindow* m_owner;
    Prompts& m_prompts;
};
