#include "WxControls.h"

#include "EventListView.h"
#include "WxText.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/statusbr.h>
#include <wx/utils.h>

#include <algorithm>

namespace {

const wxString ProgramTitle = "Belltide";

wxString wildcardOf(const FileDialogOptions& options) {
    return toWx(options.filterDescription) + "|" + toWx(options.filterPattern);
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

void WxStatusLine::setText(const std::string& text) {
    m_bar->SetStatusText(toWx(text), 0);
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

void WxListView::insertColumn(int column, const std::string& heading, ColumnAlign align,
                              int widthPixels) {
    m_list->InsertColumn(column, toWx(heading),
                         align == ColumnAlign::Right ? wxLIST_FORMAT_RIGHT : wxLIST_FORMAT_LEFT,
                         widthPixels);
}

void WxListView::deleteAllRows() {
    m_list->rows().clear();
    m_list->clearSelectionMark();
    m_list->syncRowCount();
}

void WxListView::insertRow(int row, const std::string& text) {
    auto& rows = m_list->rows();
    const auto at = std::min(static_cast<std::size_t>(std::max(row, 0)), rows.size());
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), EventListView::Row{text, "", ""});
    m_list->syncRowCount();
}

void WxListView::setCellText(int row, int column, const std::string& text) {
    auto& rows = m_list->rows();
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size() || column < 0 || column > 2)
        return;
    rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
    m_list->RefreshItem(row);
}

std::string WxListView::cellText(int row, int column) const {
    const auto& rows = m_list->rows();
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size() || column < 0 || column > 2)
        return {};
    return rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

int WxListView::rowCount() const {
    return static_cast<int>(m_list->rows().size());
}
int WxListView::selectionMark() const {
    return m_list->selectionMark();
}

void WxPrompts::showMessage(const std::string& text) {
    wxMessageBox(toWx(text), ProgramTitle, wxOK, m_owner);
}

bool WxPrompts::askYesNo(const std::string& question) {
    return wxMessageBox(toWx(question), ProgramTitle, wxYES_NO | wxICON_QUESTION, m_owner) == wxYES;
}

std::optional<std::string> WxPrompts::chooseFileToOpen(const FileDialogOptions& options) {
    wxFileDialog dialog(m_owner, wxFileSelectorPromptStr, toWx(options.initialFolder),
                        wxEmptyString, wildcardOf(options), wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK)
        return std::nullopt;
    return fromWx(dialog.GetPath());
}

std::optional<std::string> WxPrompts::chooseFileToSave(const FileDialogOptions& options) {
    wxFileDialog dialog(m_owner, wxFileSelectorPromptStr, toWx(options.initialFolder),
                        wxEmptyString, wildcardOf(options), wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK)
        return std::nullopt;
    wxFileName path(dialog.GetPath());
    if (!path.HasExt() && !options.defaultExtension.empty()) {
        // The native dialog asked about the name as typed; ask again for the one written.
        path.SetExt(toWx(options.defaultExtension));
        if (path.FileExists() &&
            wxMessageBox(path.GetFullName() + " already exists.\nDo you want to replace it?",
                         ProgramTitle, wxYES_NO | wxICON_WARNING, m_owner) != wxYES)
            return std::nullopt;
    }
    return fromWx(path.GetFullPath());
}

void WxPrompts::beginWaitCursor() {
    wxBeginBusyCursor();
}
void WxPrompts::endWaitCursor() {
    wxEndBusyCursor();
}
