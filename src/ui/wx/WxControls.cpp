#include "WxControls.h"

#include "catalog/MessageError.h"
#include "files/PcPath.h"
#include "files/Utf8Text.h"
#include "ui/SavePath.h"

#include "NativeInput.h"
#include "WxText.h"
#include "ui/CSoundFileDialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/config.h>
#include <wx/filedlg.h>
#include <wx/filedlgcustomize.h>
#include <wx/filename.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/statusbr.h>
#include <wx/stdpaths.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include <cctype>

#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>
#endif

#ifdef __WXGTK__
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#endif

namespace {

const wxString ProgramTitle = "Belltide";
constexpr const char* PreviewHint = "Each sound plays as you select it.";

// A message box's text: a long path or name, which the box would not break, gets line breaks so
// that the box stays within the screen.
wxString boxText(const std::string& text) {
    return toWx(wrappableText(text, 60));
}

// A question with the question icon, which the native boxes that wxWidgets shows leave out: GTK's
// since 3.10, and Windows' task dialogs, which have no such icon. Still a modal dialog to
// wxWidgets' hooks, which hold back what must not happen while a question is open.
class QuestionBox : public wxMessageDialog {
public:
    QuestionBox(wxWindow* owner, const wxString& question, bool withCancel)
        : wxMessageDialog(owner, question, ProgramTitle,
                          wxYES_NO | (withCancel ? wxCANCEL : 0) | wxICON_QUESTION) {}

    // wxID_YES, wxID_NO or wxID_CANCEL.
    int ShowModal() override {
        WX_HOOK_MODAL_DIALOG();
        const bool withCancel = (GetMessageDialogStyle() & wxCANCEL) != 0;
#if defined(__WXMSW__)
        switch (::MessageBoxW(GetParent() ? GetParent()->GetHWND() : nullptr, GetMessage().wc_str(),
                              GetTitle().wc_str(),
                              (withCancel ? MB_YESNOCANCEL : MB_YESNO) | MB_ICONQUESTION)) {
        case IDYES:
            return wxID_YES;
        case IDNO:
            return wxID_NO;
        default:
            return wxID_CANCEL;
        }
#elif defined(__WXGTK__)
        GtkWidget* box = gtk_message_dialog_new(
            GetParent() ? GTK_WINDOW(GetParent()->GetHandle()) : nullptr, GTK_DIALOG_MODAL,
            GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE, "%s", GetMessage().utf8_str().data());
        gtk_window_set_title(GTK_WINDOW(box), GetTitle().utf8_str());
        GtkWidget* icon = gtk_image_new_from_icon_name("dialog-question", GTK_ICON_SIZE_DIALOG);
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        gtk_message_dialog_set_image(GTK_MESSAGE_DIALOG(box), icon);
        G_GNUC_END_IGNORE_DEPRECATIONS
        gtk_widget_show(icon);
        if (withCancel)
            gtk_dialog_add_button(GTK_DIALOG(box), "_Cancel", GTK_RESPONSE_CANCEL);
        gtk_dialog_add_button(GTK_DIALOG(box), "_No", GTK_RESPONSE_NO);
        gtk_dialog_add_button(GTK_DIALOG(box), "_Yes", GTK_RESPONSE_YES);
        gtk_dialog_set_default_response(GTK_DIALOG(box), GTK_RESPONSE_YES);
        const int response = gtk_dialog_run(GTK_DIALOG(box));
        gtk_widget_destroy(box);
        return response == GTK_RESPONSE_YES  ? wxID_YES
               : response == GTK_RESPONSE_NO ? wxID_NO
                                             : wxID_CANCEL;
#else
        return wxMessageDialog::ShowModal();
#endif
    }
};

// Passes every change of the dialog's selection on to the preview rule.
class SoundPreviewHook : public wxFileDialogCustomizeHook {
public:
    explicit SoundPreviewHook(CSoundFileDialog& preview) : m_preview(preview) {}
    // wx calls the hook only for a dialog that has a control of its own.
    void AddCustomControls(wxFileDialogCustomize& customize) override {
        // Short enough for the one narrow line Wine's file dialog gives a custom text.
        customize.AddStaticText(PreviewHint);
    }
    // The dialog selects a file by itself when it opens a folder; only the user's picks play.
    void UpdateCustomControls() override {
        if (m_dialog && isHandlingUserInput())
            m_preview.OnFileNameChange(fromWx(m_dialog->GetCurrentlySelectedFilename()));
    }
    void attach(wxFileDialog* dialog) { m_dialog = dialog; }

private:
    CSoundFileDialog& m_preview;
    wxFileDialog* m_dialog = nullptr;
};

// GTK matches a pattern's letters in their case only, Windows in any.
wxString anyCasePattern(const std::string& pattern) {
#ifdef __WXMSW__
    return toWx(pattern);
#else
    wxString any;
    for (const char c : pattern) {
        const auto letter = static_cast<unsigned char>(c);
        if (std::isalpha(letter) && letter < 0x80)
            any << '[' << char(std::tolower(letter)) << char(std::toupper(letter)) << ']';
        else
            any << c;
    }
    return any;
#endif
}

wxString wildcardOf(const FileDialogOptions& options) {
    wxString wildcard =
        toWx(options.filterDescription) + "|" + anyCasePattern(options.filterPattern);
    if (options.offerAllFiles)
#ifdef __WXMSW__
        wildcard += "|All files|*.*";
#else
        wildcard += "|All files|*";
#endif
    return wildcard;
}

// Runs a file dialog, previewing sounds when asked to; the chosen path, or none on Cancel.
std::optional<wxString> runFileDialog(wxWindow* owner, const FileDialogOptions& options, long style,
                                      SoundPreviewHook* hook = nullptr) {
    wxFileDialog dialog(owner, toWx(options.title), toWx(options.initialFolder), wxEmptyString,
                        wildcardOf(options), style);
    if (hook) {
        hook->attach(&dialog);
        dialog.SetCustomizeHook(*hook);
    }
    if (dialog.ShowModal() != wxID_OK)
        return std::nullopt;
    return dialog.GetPath();
}

} // namespace

void WxButton::enable(bool enabled) {
    m_button->Enable(enabled);
}

void WxCheckBox::enable(bool enabled) {
    m_box->Enable(enabled);
}
void WxCheckBox::setChecked(bool checked) {
    m_box->SetValue(checked);
}
bool WxCheckBox::isChecked() const {
    return m_box->GetValue();
}

WxStatusLine::WxStatusLine(wxStatusBar* bar) : m_bar(bar) {
    m_bar->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        show();
        event.Skip();
    });
}

void WxStatusLine::setText(const StatusNote& note) {
    m_note = note;
    show();
}

void WxStatusLine::show() {
    wxRect field;
    m_bar->GetFieldRect(0, field);
    // The bar's margins around the text, and its size grip.
    const int width = field.width - m_bar->FromDIP(24);
    const std::string whole = m_note.whole();
    const std::string fitted = m_note.fitted(
        width, [this](const std::string& text) { return m_bar->GetTextExtent(toWx(text)).x; });
    m_bar->SetStatusText(toWx(fitted), 0);
    if (fitted == whole)
        m_bar->UnsetToolTip();
    else if (m_bar->GetToolTipText() != toWx(whole))
        m_bar->SetToolTip(toWx(whole));
}

void WxComboBox::clear() {
    m_combo->Clear();
}
void WxComboBox::addItem(const std::string& text) {
    m_combo->Append(toWx(text));
}
int WxComboBox::count() const {
    return static_cast<int>(m_combo->GetCount());
}
std::string WxComboBox::itemText(int index) const {
    return fromWx(m_combo->GetString(static_cast<unsigned>(index)));
}
int WxComboBox::selection() const {
    return m_combo->GetSelection();
}
void WxComboBox::setSelection(int index) {
    m_combo->SetSelection(index);
}

std::string problemText(const std::exception& error) {
    if (const auto* message = dynamic_cast<const MessageError*>(&error))
        return message->text();
    return std::string("Belltide could not finish this because of an unexpected problem: ") +
           error.what();
}

void WxPrompts::showMessage(const std::string& text) {
    wxMessageBox(boxText(text), ProgramTitle, wxOK, m_owner);
}

bool WxPrompts::askYesNo(const std::string& question) {
    return QuestionBox(m_owner, boxText(question), false).ShowModal() == wxID_YES;
}

Answer WxPrompts::askYesNoCancel(const std::string& question) {
    switch (QuestionBox(m_owner, boxText(question), true).ShowModal()) {
    case wxID_YES:
        return Answer::Yes;
    case wxID_NO:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

std::optional<std::string> WxPrompts::chooseFileToOpen(const FileDialogOptions& options) {
    const auto chosen = runFileDialog(m_owner, options, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    return chosen ? std::optional(fromWx(*chosen)) : std::nullopt;
}

std::optional<std::string> WxPrompts::chooseFileToSave(const FileDialogOptions& options) {
    const auto chosen = runFileDialog(m_owner, options, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (!chosen)
        return std::nullopt;
    const SavePath path = savePathFor(fromWx(*chosen), options.defaultExtension,
                                      [](const std::string& file) { return isReadableFile(file); });
    if (path.askToReplace &&
        !askYesNo(fileNameOf(path.path) + " already exists.\nDo you want to replace it?"))
        return std::nullopt;
    return path.path;
}

std::optional<std::string> WxPrompts::chooseSoundFile(CSoundFileDialog& preview) {
    SoundPreviewHook hook(preview);
    const auto chosen =
        runFileDialog(nullptr, preview.options(), wxFD_OPEN | wxFD_FILE_MUST_EXIST, &hook);
    return chosen ? std::optional(fromWx(*chosen)) : std::nullopt;
}

std::string WxPrompts::musicFolder() const {
    const wxString music = wxStandardPaths::Get().GetUserDir(wxStandardPaths::Dir_Music);
    return fromWx(wxDirExists(music) ? music : wxGetHomeDir());
}

void WxPrompts::beginWaitCursor() {
    wxBeginBusyCursor();
}
void WxPrompts::endWaitCursor() {
    wxEndBusyCursor();
}

void WxWindowTitle::setTitle(const std::string& text) {
    m_window->SetTitle(toWx(text));
#ifdef __WXGTK__
    // GTK leaves out the older title property when the C locale cannot hold the title (a dash,
    // a name outside Latin-1); tools that read only that one would not find the window.
    GdkWindow* window = gtk_widget_get_window(m_window->GetHandle());
    if (window && GDK_IS_X11_WINDOW(window))
        gdk_property_change(window, gdk_atom_intern_static_string("WM_NAME"),
                            gdk_atom_intern_static_string("UTF8_STRING"), 8, GDK_PROP_MODE_REPLACE,
                            reinterpret_cast<const guchar*>(text.data()),
                            static_cast<int>(text.size()));
#endif
}

std::string WxSettings::text(const std::string& key) const {
    wxString value;
    return m_config.Read(toWx(key), &value) ? fromWx(value) : std::string();
}

void WxSettings::setText(const std::string& key, const std::string& value) {
    if (m_config.Write(toWx(key), toWx(value)))
        m_config.Flush();
}
