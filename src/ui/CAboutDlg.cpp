#include "CAboutDlg.h"

#include "ui/HelpCommands.h"

std::string CAboutDlg::text() const {
    const std::string handheld = m_help.handheld();
    return std::string("Belltide Version ") + BELLTIDE_VERSION + "\n\n" + MakerLine +
           (handheld.empty() ? "" : "\n" + handheld);
}

std::string CAboutDlg::linkCaption() const {
    return m_help.linkCaption();
}

void CAboutDlg::OnLinkButton() {
    m_help.openWebLink();
}
