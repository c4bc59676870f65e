#include "WxHelpLauncher.h"

#include "AboutDialog.h"
#include "WxText.h"

#include <wx/filename.h>
#include <wx/fs_arc.h>
#include <wx/html/helpctrl.h>
#include <wx/log.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

WxHelpLauncher::WxHelpLauncher(wxWindow* parent) : m_parent(parent) {}

WxHelpLauncher::~WxHelpLauncher() = default;

bool WxHelpLauncher::openWebAddress(const std::string& address) {
    wxLogNull quiet;
    return wxLaunchDefaultBrowser(toWx(address));
}

bool WxHelpLauncher::loadHelpBook(const std::string& bookPath) {
    // The book is a zip archive; wx reads it through the archive file system.
    static const bool archivesReadable = [] {
        wxFileSystem::AddHandler(new wxArchiveFSHandler);
        return true;
    }();
    (void)archivesReadable;
    // Bookmarks are left out: the program keeps no settings to store them in.
    m_help = std::make_unique<wxHtmlHelpController>(wxHF_DEFAULT_STYLE & ~wxHF_BOOKMARKS);
    m_help->SetTitleFormat("Belltide Help: %s");
    wxLogNull quiet;
    if (!wxFileName::FileExists(toWx(bookPath)) || !m_help->AddBook(wxFileName(toWx(bookPath)))) {
        m_help.reset();
        return false;
    }
    return true;
}

void WxHelpLauncher::showHelpPage(const std::string& page) {
    if (!m_help)
        return;
    const bool opening = m_help->GetFrame() == nullptr;
    m_help->Display(toWx(page));
    if (!opening || !m_help->GetFrame())
        return;
    // The viewer's own first size is too small for the pages' tables.
    m_help->GetFrame()->SetSize(wxSize(900, 640));
    if (const auto* window = wxDynamicCast(m_parent, wxTopLevelWindow))
        m_help->GetFrame()->SetIcons(window->GetIcons());
}

void WxHelpLauncher::runAboutBox(CAboutDlg& dialog) {
    AboutDialog box(m_parent, dialog);
    box.ShowModal();
}
