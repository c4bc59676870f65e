// Opens the browser, wxWidgets' HTML help viewer and the About box for the main window
// (UI thread only).
#pragma once

#include "ui/HelpLauncher.h"

#include <memory>

class wxHtmlHelpController;
class wxWindow;

class WxHelpLauncher : public HelpLauncher {
public:
    // The About box opens over parent; the help viewer is a window of its own.
    explicit WxHelpLauncher(wxWindow* parent);
    // Closes the help viewer, so that it does not outlive the main window.
    ~WxHelpLauncher() override;

    bool openWebAddress(const std::string& address) override;
    bool loadHelpBook(const std::string& bookPath) override;
    void showHelpPage(const std::string& page) override;
    void runAboutBox(CAboutDlg& dialog) override;

private:
    wxWindow* m_parent;
    std::unique_ptr<wxHtmlHelpController> m_help;
};
