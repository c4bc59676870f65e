// The main window's About, Help and web link commands (UI thread only).
#pragma once

#include "ui/HelpLauncher.h"

#include <array>
#include <string>
#include <utility>

class HelpCommands {
public:
    // The help book's name, resolved against the current folder, the program's assets.
    static constexpr const char* HelpBook = "Belltide.htb";
    static constexpr const char* StartPage = "index.html";
    // Every page of the book that the program itself opens.
    static constexpr std::array<const char*, 1> PagesOpened{StartPage};
    // The maker's web address; empty when the build was given none.
    static const char* const WebAddress;

    // handheld: which handheld Belltide uses and how to choose another, for the About box.
    HelpCommands(HelpLauncher& launcher, std::string helpBook, std::string webAddress,
                 std::string handheld = {})
        : m_launcher(launcher), m_helpBook(std::move(helpBook)),
          m_webAddress(std::move(webAddress)), m_handheld(std::move(handheld)) {}

    // "&About": the About box, modally.
    void OnAbout();
    // "&Help", F1 and every other help request: the help's start page.
    void OnHelp() { showHelpPage(StartPage); }
    // The logo button; the About box's link does the same.
    void OnLogo() { openWebLink(); }

    // The web address in the default browser, or the help's start page when there is none.
    // A failure is not reported.
    void openWebLink();
    // The About box's link: the web address; empty when there is none, and no link is shown.
    std::string linkCaption() const { return m_webAddress; }
    const std::string& handheld() const { return m_handheld; }
    // Loads the book on the first call; after a failed load nothing is tried again.
    void showHelpPage(const std::string& page);

private:
    enum class BookState { NotLoaded, Loaded, Failed };

    HelpLauncher& m_launcher;
    std::string m_helpBook;
    std::string m_webAddress;
    std::string m_handheld;
    BookState m_bookState = BookState::NotLoaded;
};
