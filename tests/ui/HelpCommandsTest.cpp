#include "ui/HelpCommands.h"
#include "ui/CAboutDlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Records what is opened; while the About box is "shown" its link is clicked.
struct FakeHelpLauncher : HelpLauncher {
    bool openWebAddress(const std::string& address) override {
        opened.push_back(address);
        return false;
    }
    bool loadHelpBook(const std::string&) override {
        ++loads;
        return bookLoads;
    }
    void showHelpPage(const std::string& page) override { opened.push_back("help:" + page); }
    void runAboutBox(CAboutDlg& dialog) override {
        linkCaption = dialog.linkCaption();
        dialog.OnLinkButton();
    }
    bool bookLoads = true;
    int loads = 0;
    std::vector<std::string> opened;
    std::string linkCaption;
};

// The logo and the About box's link open the web address, or the help without one.
TEST(HelpCommands, LogoAndAboutLinkOpenTheWebAddressElseTheHelp) {
    for (const std::string address : {"https://belltide.example/", ""}) {
        FakeHelpLauncher launcher;
        HelpCommands help(launcher, "book.htb", address);
        help.OnLogo();
        help.OnAbout();
        const std::string expected = address.empty() ? "help:index.html" : address;
        EXPECT_EQ(launcher.opened, std::vector<std::string>(2, expected));
        EXPECT_EQ(launcher.linkCaption, address.empty() ? HelpCommands::HelpLinkCaption : address);
    }
}

TEST(HelpCommands, AFailedLoadIsNotTriedAgain) {
    FakeHelpLauncher launcher;
    launcher.bookLoads = false;
    HelpCommands help(launcher, "book.htb", "");
    help.OnHelp();
    help.OnLogo();
    EXPECT_EQ(launcher.loads, 1);
    EXPECT_TRUE(launcher.opened.empty());
}
