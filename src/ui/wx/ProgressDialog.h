// The progress dialogs' window: a line of text, a bar and Cancel, no close box; only its worker's
// close request ends it. Cancel, or Esc, asks the worker to stop after the current file.
#pragma once

#include "transfer/ProgressWindow.h"

#include <wx/dialog.h>

class wxButton;
class wxGauge;
class wxStaticText;

class ProgressDialog : public wxDialog, public ProgressWindow {
public:
    static constexpr int ProgressBarId = 1018;
    static constexpr int CancelButtonId = wxID_CANCEL;
    static constexpr const char* StoppingLabel = "Stopping\u2026";

    // Shows a message box over the given window.
    using MessageBox = std::function<void(wxWindow* owner, const std::string& text)>;

    ProgressDialog(wxWindow* parent, const ProgressDialogTemplate& dialog, MessageBox messageBox);
    // A worker that could not end its wait cursor does not leave the program busy.
    ~ProgressDialog() override;

    void setRange(int lower, int upper) override;
    void setStep(int step) override { m_step = step; }
    void stepIt() override;
    void setStepPart(double part) override;
    void setText(const std::string& text) override;
    bool cancelRequested() const override { return m_cancelRequested; }
    // Over the progress dialog: a box over the main window would raise it above the dialog.
    void showMessage(const std::string& text) override { m_messageBox(this, text); }
    void beginWaitCursor() override;
    void endWaitCursor() override;
    void endModal() override;

private:
    // Cancel, by the button or Esc: the worker stops after the current file.
    void requestCancel();
    // The bar in steps and the part of the coming one, scaled into its 16-bit range.
    void showPosition();

    MessageBox m_messageBox;
    wxStaticText* m_text = nullptr;
    wxGauge* m_gauge = nullptr;
    wxButton* m_cancel = nullptr;
    int m_lower = 0;
    int m_upper = 100;
    int m_position = 0;
    int m_step = 10;
    int m_scale = 1; // gauge units per step
    double m_part = 0;
    int m_busy = 0;
    bool m_cancelRequested = false;
};

// Runs progress dialogs over the main window; calls reach the UI thread through its events.
class WxProgressWindows : public ProgressWindows {
public:
    WxProgressWindows(wxWindow* owner, ProgressDialog::MessageBox messageBox)
        : m_owner(owner), m_messageBox(std::move(messageBox)) {}
    void runModal(const ProgressDialogTemplate& dialog,
                  const std::function<void(ProgressWindow&)>& onShown) override;
    void callAfter(std::function<void()> call) override;
    // True while a progress dialog is shown, and so its worker runs.
    bool isRunning() const { return m_running > 0; }
    // The control that gets the keyboard focus after a dialog where none had it before.
    void setFirstFocus(wxWindow* control) { m_firstFocus = control; }

private:
    int m_running = 0;
    wxWindow* m_firstFocus = nullptr;
    wxWindow* m_owner;
    ProgressDialog::MessageBox m_messageBox;
};
