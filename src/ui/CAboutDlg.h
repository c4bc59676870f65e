// The About box's behaviour: its texts and the web link (UI thread only).
#pragma once

#include <string>

class HelpCommands;

class CAboutDlg {
public:
    static constexpr const char* Caption = "About Belltide";
    static constexpr const char* MakerLine = "Made by the Belltide developers";
    static constexpr int LinkButtonId = 1003;

    explicit CAboutDlg(HelpCommands& help) : m_help(help) {}

    // "Belltide Version <version>", an empty line, the maker line and the handheld in use.
    std::string text() const;
    // The caption of the link button 1003; empty when the build has no web address, and the box
    // shows no link.
    std::string linkCaption() const;
    // Button 1003: the same as the main window's logo.
    void OnLinkButton();

private:
    HelpCommands& m_help;
};
