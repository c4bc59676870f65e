#include "CAboutDlg.h"

#include "ui/HelpCommands.h"

std::string CAboutDlg::text() {
    return std::string("Belltide Version ") + BELLTIDE_VERSION + "\n\n" + MakerLine;
}

std::string CAboutDlg::linkCaption() const {
    return m_help.linkCaption();
}

void CAboutDlg::OnLinkButton() {
    m_help.openWebLink();
}
