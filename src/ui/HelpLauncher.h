// What the main window opens outside itself: the browser, the help viewer and the About box
// (UI thread only).
#pragma once

#include <string>

class CAboutDlg;

class HelpLauncher {
public:
    virtual ~HelpLauncher() = default;
    // Opens the address in the user's default browser; false when no browser could be started.
    [[nodiscard]] virtual bool openWebAddress(const std::string& address) = 0;
    // Loads the help book into the help viewer; false when the viewer or the book is missing.
    [[nodiscard]] virtual bool loadHelpBook(const std::string& bookPath) = 0;
    // Shows a page of the loaded book, named by its file name inside the book.
    virtual void showHelpPage(const std::string& page) = 0;
    // Shows the About box modally for that logic.
    virtual void runAboutBox(CAboutDlg& dialog) = 0;
};
