#include "HelpCommands.h"

#include "ui/CAboutDlg.h"

const char* const HelpCommands::WebAddress = BELLTIDE_WEB_ADDRESS;

void HelpCommands::OnAbout() {
    CAboutDlg dialog(*this);
    m_launcher.runAboutBox(dialog);
}

void HelpCommands::openWebLink() {
    if (m_webAddress.empty())
        showHelpPage(StartPage);
    else
        m_launcher.openWebAddress(m_webAddress);
}

void HelpCommands::showHelpPage(const std::string& page) {
    if (m_bookState == BookState::NotLoaded)
        m_bookState = m_launcher.loadHelpBook(m_helpBook) ? BookState::Loaded : BookState::Failed;
    if (m_bookState == BookState::Loaded)
        m_launcher.showHelpPage(page);
}
