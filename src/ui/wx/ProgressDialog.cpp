#include "ProgressDialog.h"

#include "DialogUnits.h"
#include "NativeInput.h"
#include "WxControls.h"
#include "WxText.h"

#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <algorithm>
#include <utility>

namespace {

// Where the dialog stands, from the place the platform gives it.
constexpr int DialogOffsetX = 60;
constexpr int DialogOffsetY = 105;

} // namespace

ProgressDialog::ProgressDialog(wxWindow* parent, const ProgressDialogTemplate& dialog,
                               MessageBox messageBox)
    : wxDialog(parent, wxID_ANY, toWx(dialog.title), wxDefaultPosition, wxDefaultSize, wxCAPTION),
      m_messageBox(std::move(messageBox)) {
    const auto place = [this](const DialogRect& r) { return placeInDialogUnits(*this, r); };
    const bool left = dialog.align == TextAlign::Left;
    // As wide as the bar, so that a file's name fits; the template's text stands where it did.
    const auto [textPos, textSize] =
        place(left ? DialogRect{45, 7, 131, 21} : DialogRect{10, 7, 166, 21});
    m_text = new wxStaticText(this, wxID_ANY, toWx(dialog.text), textPos, textSize,
                              (left ? wxALIGN_LEFT : wxALIGN_CENTRE_HORIZONTAL) |
                                  wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_MIDDLE);
    const auto [barPos, barSize] = place({10, 28, 166, 12});
    m_gauge =
        new wxGauge(this, ProgressBarId, m_upper, barPos, barSize, wxGA_HORIZONTAL | wxGA_SMOOTH);
    const auto [cancelPos, cancelSize] = place({126, 46, 50, 14});
    m_cancel = new wxButton(this, CancelButtonId, "Cancel", cancelPos, cancelSize);
    SetClientSize(place({0, 0, 186, 67}).second);
    SetEscapeId(wxID_NONE);
    SetAffirmativeId(wxID_NONE);

    m_cancel->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { requestCancel(); });
    // The worker needs the dialog until its own close request: Esc is Cancel, as the button
    // says, and neither it, Enter nor the window manager's close ends the dialog meanwhile.
    Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        const int key = event.GetKeyCode();
        if (key == WXK_ESCAPE)
            requestCancel();
        else if (key != WXK_RETURN && key != WXK_NUMPAD_ENTER)
            event.Skip();
    });
    Bind(wxEVT_CLOSE_WINDOW, [](wxCloseEvent& event) {
        if (event.CanVeto())
            event.Veto();
    });

    // Centred on the main window as it stands on screen: its own position may not have been
    // reported yet right after it has been mapped. One not yet there (the first start's backup
    // may come first) is taken where it was placed.
    const wxRect owner = hasScreenPlace(parent) ? wxRect(parent->ClientToScreen(wxPoint(0, 0)),
                                                         parent->GetClientSize())
                                                : parent->GetRect();
    const wxSize size = GetSize();
    Move(owner.x + (owner.width - size.x) / 2 + DialogOffsetX,
         owner.y + (owner.height - size.y) / 2 + DialogOffsetY);
}

void ProgressDialog::requestCancel() {
    // The worker reads the request between files; the button tells that it was heard.
    if (m_cancelRequested)
        return;
    m_cancelRequested = true;
    m_cancel->SetLabel(wxString::FromUTF8(StoppingLabel));
    m_cancel->Disable();
}

ProgressDialog::~ProgressDialog() {
    while (m_busy > 0)
        endWaitCursor();
}

void ProgressDialog::beginWaitCursor() {
    ++m_busy;
    wxBeginBusyCursor();
}

void ProgressDialog::endWaitCursor() {
    if (m_busy == 0)
        return;
    --m_busy;
    wxEndBusyCursor();
}

void ProgressDialog::setRange(int lower, int upper) {
    m_lower = lower;
    m_upper = upper;
    m_position = lower;
    m_part = 0;
    const int steps = std::max(1, upper - lower);
    m_scale = std::max(1, 0xFFFF / steps);
    m_gauge->SetRange(steps * m_scale);
    showPosition();
}

void ProgressDialog::stepIt() {
    m_position += m_step;
    m_part = 0;
    // As a native bar does: past the end it starts over.
    if (m_position > m_upper)
        m_position = m_lower + (m_position - m_upper);
    showPosition();
}

void ProgressDialog::setStepPart(double part) {
    m_part = std::clamp(part, 0.0, 1.0);
    showPosition();
}

void ProgressDialog::showPosition() {
    // Drawn by the event loop: an Update() here leaves a GTK 3 bar drawn where it stood.
    const double steps = m_position - m_lower + m_part * m_step;
    m_gauge->SetValue(std::clamp(static_cast<int>(steps * m_scale), 0, m_gauge->GetRange()));
}

void ProgressDialog::setText(const std::string& text) {
    m_text->SetLabel(toWx(text));
}

void ProgressDialog::endModal() {
    EndModal(wxID_OK);
}

void WxProgressWindows::runModal(const ProgressDialogTemplate& dialog,
                                 const std::function<void(ProgressWindow&)>& onShown) {
    ProgressDialog window(m_owner, dialog, m_messageBox);
    window.CallAfter([&] { onShown(window); });
    // A modal grab alone leaves the main window looking ready for input.
    wxWindow* focused = wxWindow::FindFocus();
    m_owner->Disable();
    ++m_running;
    window.ShowModal();
    --m_running;
    m_owner->Enable();
    // Disabled, the window lost the keyboard focus: the control that had it gets it back, and
    // where none had (the first start's backup comes before any), the one that starts with it.
    if (!focused || focused == m_owner || !m_owner->IsDescendant(focused))
        focused = m_firstFocus;
    if (focused)
        restoreFocus(focused);
}

void WxProgressWindows::callAfter(std::function<void()> call) {
    // Queued on the main window, so a call left pending when it is destroyed is dropped. A
    // failure is shown: out of the event loop it would end the program.
    m_owner->CallAfter([owner = m_owner, messageBox = m_messageBox, call = std::move(call)] {
        try {
            call();
        } catch (const std::exception& error) {
            messageBox(owner, problemText(error));
        }
    });
}
